#include "print/screens/RequestFrame.h"

#include "core/AppState.h"
#include "core/Modules.h"
#include "core/Prompter.h"
#include "print/Messages.h"
#include "print/PrinterModule.h"
#include "requests/Messages.h"
#include "store/Lookups.h"

#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

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
    auto* frame = new QGroupBox(msg::requests::text(msg::requests::Text::SelectedRequest), parent);
    auto* layout = new QHBoxLayout(frame);
    layout->addWidget(value(frame, "lblGrOpePres", s.group));
    layout->addWidget(value(frame, "lblOpePres", QString::number(s.operatorCode)));
    layout->addWidget(value(frame, "lblDenOpePres", s.operatorName), 1);
    layout->addWidget(new QLabel(msg::print::text(msg::print::Text::RequestLabel), frame));
    layout->addWidget(value(frame, "lblProposta", QString::number(s.number)));
    layout->addWidget(new QLabel(msg::requests::text(msg::requests::Text::ProvinceLabel), frame));
    layout->addWidget(value(frame, "lblProv", RecuperaSigProv(context.db, context.prompter, s.province)));
    return frame;
}

QString printerModuleFile()
{
    return modules::fileOf("vx_printer");
}

namespace {
print::Module* loadedModule()
{
    return modules::moduleObject<print::Module>(printerModuleFile(), VX_PRINTER_ENTRY, print::kInterface);
}

// The module, or null with the user told.
print::Module* printerModule(Prompter& prompter)
{
    print::Module* module = loadedModule();
    if (!module)
        prompter.ask(msg::print::printerModuleMissing(printerModuleFile()));
    return module;
}

// Where the computer has no printer at all, Qt's PDF output is the printer until the user chooses
// another, under the name the set-up dialog proposes.
QPagedPaintDevice& printerOf(print::Module& module)
{
    return module.listingPrinter(msg::print::text(msg::print::Text::ListingDocumentName),
                                 QDir::homePath() + QLatin1Char('/') +
                                     msg::print::text(msg::print::Text::ListingDocumentName) + QStringLiteral(".pdf"));
}
} // namespace

QPagedPaintDevice* listingPrinter(Prompter& prompter)
{
    print::Module* module = printerModule(prompter);
    return module ? &printerOf(*module) : nullptr;
}

void setUpListingPrinter(Prompter& prompter, QWidget* parent)
{
    if (print::Module* module = printerModule(prompter)) {
        printerOf(*module);
        module->setUp(parent, msg::print::text(msg::print::Text::PrinterSetUpCaption));
    }
}

void tellListingFile(Prompter& prompter)
{
    print::Module* module = loadedModule();
    const QString pdf = module ? module->pdfOutput() : QString();
    if (!pdf.isEmpty())
        prompter.ask(msg::print::fileCreated(QDir::toNativeSeparators(pdf)));
}

} // namespace vx
