#include "print/screens/RequestFrame.h"

#include "core/AppState.h"
#include "core/Prompter.h"
#include "store/Lookups.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>

namespace vx {

namespace {
QLabel* value(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    return l;
}
} // namespace

QGroupBox* requestFrame(Context& context, QWidget* parent)
{
    const SelectedRequest& s = context.state.selected;
    auto* frame = new QGroupBox(QStringLiteral("Richiesta selezionata"), parent);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(value(frame, "lblGrOpePres", s.group));
    layout->addWidget(value(frame, "lblOpePres", QString::number(s.operatorCode)));
    layout->addWidget(value(frame, "lblDenOpePres", s.operatorName), 1);
    layout->addWidget(new QLabel(QStringLiteral("Richiesta"), frame));
    layout->addWidget(value(frame, "lblProposta", QString::number(s.number)));
    layout->addWidget(new QLabel(QStringLiteral("Prov."), frame));
    layout->addWidget(value(frame, "lblProv", RecuperaSigProv(context.db, context.prompter, s.province)));
    return frame;
}

QPrinter& listingPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

} // namespace vx
