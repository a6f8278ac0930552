#include "print/screens/RequestFrame.h"
#include "requests/Messages.h"

#include "core/AppState.h"
#include "core/Prompter.h"
#include "print/Messages.h"
#include "store/Lookups.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>

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
    auto* frame = new QGroupBox(msg::requests::selectedRequest(), parent);
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
    static bool prepared = false;
    if (!prepared) {
        prepared = true;
        // The name the set-up dialog proposes for a PDF file; and where the computer has no
        // printer at all, Qt's PDF output is the printer until the user chooses another.
        printer.setDocName(msg::print::listingDocumentName());
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            printer.setOutputFileName(QDir::homePath() + QLatin1Char('/') + msg::print::listingDocumentName() +
                                      QStringLiteral(".pdf"));
    }
    return printer;
}

void tellListingFile(Prompter& prompter, const QPrinter& printer)
{
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        prompter.ask(msg::print::fileCreated(QDir::toNativeSeparators(printer.outputFileName())));
}

} // namespace vx
