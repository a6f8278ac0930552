#pragma once
// The frame "Richiesta selezionata" of the print and delivery screens, and the printer of the
// plain listing (the one chosen with the print dialog's printer set-up, for the whole run).

#include "core/Context.h"

class QGroupBox;
class QPrinter;
class QWidget;

namespace vx {

class Prompter;

QGroupBox* requestFrame(Context& context, QWidget* parent);
QPrinter& listingPrinter();
// After a listing printed to a PDF file: where the file is.
void tellListingFile(Prompter& prompter, const QPrinter& printer);

} // namespace vx
