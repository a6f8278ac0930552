#pragma once
// A Request printed from the database of an installation: its data read, the document or the
// listing made, the PDF written in the program folder (or where the caller says). What the print
// screens and the command line call.

#include "print/PdfOutput.h"
#include "print/PlainListing.h"

#include <QDate>
#include <QString>

#include <functional>

namespace vx {

class Database;
class PrintTarget;

// The document template, delivered in the program folder.
inline const QString kTemplateFileName = QStringLiteral("_VELTRANORPX_01.html");

struct PrintOutcome {
    bool ok = false;
    QString path;  // the PDF written
    QString error; // why not, in the user's language
};

// The PDF of Request `number` from the template of `programFolder` (which ends with a separator),
// written at `pdfPath`, or in the program folder under the Request's file name when it is empty.
// `today` is the date the document carries.
PrintOutcome printRequestPdf(Database& db, const QString& programFolder, qint32 number, PrintType type,
                             const QDate& today, const QString& pdfPath = QString(),
                             const std::function<bool(int)>& progress = {});

// The plain listing of Request `number` on `target` (the system printer, for the screens). Not ok
// when the Request cannot be read or the target refused the job.
PrintOutcome printListing(PrintTarget& target, Database& db, qint32 number, const QDate& today, print::Ending ending);

// The plain listing of Request `number` as a PDF at `pdfPath`.
PrintOutcome printListingPdf(Database& db, qint32 number, const QDate& today, print::Ending ending,
                             const QString& pdfPath);

} // namespace vx
