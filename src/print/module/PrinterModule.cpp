// The printer module: the plain listing's printer and its set-up dialog, on Qt Print Support.

#include "print/PrinterModule.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>

namespace {

class Module : public vx::print::Module {
public:
    QPagedPaintDevice& listingPrinter(const QString& documentName, const QString& pdfFile) override
    {
        if (!m_printer) {
            m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            m_printer->setDocName(documentName);
            if (QPrinterInfo::availablePrinterNames().isEmpty())
                m_printer->setOutputFileName(pdfFile);
        }
        return *m_printer;
    }

    void setUp(QWidget* parent, const QString& caption) override
    {
        QPrintDialog dialog(m_printer.get(), parent);
        dialog.setWindowTitle(caption);
        dialog.exec();
    }

    QString pdfOutput() override
    {
        return m_printer && m_printer->outputFormat() == QPrinter::PdfFormat ? m_printer->outputFileName() : QString();
    }

private:
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace

extern "C" Q_DECL_EXPORT vx::print::Module* vx_printer_module(int interface)
{
    static Module module;
    return interface == vx::print::kInterface ? &module : nullptr;
}
