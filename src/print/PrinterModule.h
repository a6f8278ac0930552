#pragma once
// What the program and its printer module (libvx_printer.so) share, and nothing more. The module
// holds the printer of the plain listing and its set-up dialog, on Qt Print Support, which would
// otherwise be loaded and relocated at every start of the program; it is loaded when a listing is
// first printed or its printer set up.
//
// Both sides are built together from this header with the same compiler and Qt, so Qt types and
// virtual calls cross freely; `kInterface` changes with any change here, and a module that answers
// another number is not used.

#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace vx::print {

constexpr int kInterface = 1;

class Module {
public:
    virtual ~Module() = default;
    // The listing's printer, made on the first call and kept for the run. `documentName` is what
    // the set-up dialog proposes for a PDF file; on a computer without printers the listing goes
    // to the PDF file `pdfFile` until the user chooses another printer.
    virtual QPagedPaintDevice& listingPrinter(const QString& documentName, const QString& pdfFile) = 0;
    // The printer set-up dialog of the listing's printer, over `parent`.
    virtual void setUp(QWidget* parent, const QString& caption) = 0;
    // The PDF file the listing's printer writes; empty when it prints on paper.
    virtual QString pdfOutput() = 0;
};

} // namespace vx::print

// The module's one entry point: its module object, or null when it was built for another interface.
#define VX_PRINTER_ENTRY "vx_printer_module"
extern "C" {
using VxPrinterEntry = vx::print::Module* (*)(int interface);
}
