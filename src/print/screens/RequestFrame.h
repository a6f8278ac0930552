#pragma once
// The frame "Richiesta selezionata" of the print and delivery screens, and the printer of the
// plain listing (the one chosen with the print dialog's printer set-up, for the whole run), which
// the printer module (print/PrinterModule.h) holds.

#include "core/Context.h"

#include <QString>

class QGroupBox;
class QPagedPaintDevice;
class QWidget;

namespace vx {

class Prompter;

QGroupBox* requestFrame(Context& context, QWidget* parent);
// The printer module's file.
QString printerModuleFile();
// The listing's printer; null, the user told, when the printer module is missing.
QPagedPaintDevice* listingPrinter(Prompter& prompter);
// The printer set-up dialog over `parent` (the user told when the module is missing).
void setUpListingPrinter(Prompter& prompter, QWidget* parent);
// After a listing printed to a PDF file: where the file is.
void tellListingFile(Prompter& prompter);

} // namespace vx
