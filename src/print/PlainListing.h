#pragma once
// The Request as a fixed-pitch listing sent straight to a printer, for machines where the
// document print cannot run. Two variants share header, rows and page breaks and differ in what
// follows the last row: the emergency print ends with the role legend, the alternative original
// with the number of the last page.

#include "print/PrintData.h"
#include "print/PrintTarget.h"

#include <QDate>
#include <QString>

namespace vx {

class PrintTarget;

namespace print {

inline constexpr int kTop = 1000;  // twips from the top of the page to the first line
inline constexpr int kLeft = 1000; // left margin of every text line
inline constexpr int kPageNumberX = 10000;
inline constexpr int kPersonsPerPage = 22;
// The lines a full page takes from its top line down to its page number: header 8, two for each
// person, a blank and the page number.
inline constexpr int kLinesOnFullPage = 8 + 2 * kPersonsPerPage + 2;

enum class Ending {
    Legend,     // StampaEmergenza
    PageNumber, // StampaRichiestaOggettoPrinter
};

// `text` cut to `width` characters, or preceded by as many blanks as the trimmed text falls short
// of `width` (so that a text without surrounding blanks ends at column `width`).
QString IncolonnaDestra(const QString& text, int width);

QString personLine(const RolePerson& person);

PageSetUp pageSetUp();

} // namespace print

// Prints `persons` (already in the listing's order) of Request `request` on `target`; `date` is
// today's. True when the target accepted the job.
bool printPlainListing(PrintTarget& target, const PrintRequest& request, const QList<RolePerson>& persons,
                       const QDate& date, print::Ending ending);

// The same listing as a PDF at `path` (written through a temporary file). False, with `error`
// set, when it cannot be written; the path then keeps what it had.
bool writeListingPdf(const QString& path, const PrintRequest& request, const QList<RolePerson>& persons,
                     const QDate& date, print::Ending ending, QString* error);

} // namespace vx
