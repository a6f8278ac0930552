#include "print/RequestPrint.h"
#include "core/DeliveredFiles.h"

#include "print/Messages.h"
#include "print/PrintData.h"
#include "print/RequestDocument.h"

namespace vx {

PrintOutcome printRequestPdf(Database& db, const QString& programFolder, qint32 number, PrintType type,
                             const QDate& today, const QString& pdfPath, const std::function<bool(int)>& progress)
{
    PrintOutcome outcome;
    PrintData data;
    if (!readPrintData(db, number, PersonOrder::Document, data, &outcome.error))
        return outcome;
    outcome.path = pdfPath.isEmpty() ? programFolder + requestPdfName(data.request, type) : pdfPath;
    const DocumentJob job{data.request, data.persons, type, today, 1};
    outcome.ok =
        writeRequestPdf(deliveredFile(programFolder, kTemplateFileName), job, outcome.path, &outcome.error, progress);
    return outcome;
}

PrintOutcome printListing(PrintTarget& target, Database& db, qint32 number, const QDate& today, print::Ending ending)
{
    PrintOutcome outcome;
    PrintData data;
    if (!readPrintData(db, number, PersonOrder::Listing, data, &outcome.error))
        return outcome;
    outcome.ok = printPlainListing(target, data.request, data.persons, today, ending);
    if (!outcome.ok)
        outcome.error = msg::print::text(msg::print::Text::PrinterRefused);
    return outcome;
}

PrintOutcome printListingPdf(Database& db, qint32 number, const QDate& today, print::Ending ending,
                             const QString& pdfPath)
{
    PrintOutcome outcome;
    PrintData data;
    if (!readPrintData(db, number, PersonOrder::Listing, data, &outcome.error))
        return outcome;
    outcome.path = pdfPath;
    outcome.ok = writeListingPdf(pdfPath, data.request, data.persons, today, ending, &outcome.error);
    return outcome;
}

} // namespace vx
