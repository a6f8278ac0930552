#pragma once
// What the print tells the user and writes on paper: the print dialog's and the transmission
// screen's captions, the messages of a run and of the registration, the failures of the document
// and of its PDF, and the fixed texts of the document and of the plain listing.

#include "core/Prompter.h"

#include <QString>

namespace vx::msg::print {

// The print dialog, by the print choice.
QString draftCaption();
QString draftType();
QString definitiveCaption();
QString definitiveType();
QString printerSetUpCaption();
// The progress form.
QString progressCaption();
QString compiling(const QString& printType);
QString documentNumberCaption();
QString makingPdf();
// The transmission screen and the delivery confirmation.
QString deliveryCaption();
QString sendConfirmationCaption();
QString exitEnabled();
QString exitDisabled();

// A run.
QString printErrorTitle();
Message printFailed(const QString& reason);
Message fileCreated(const QString& path);
Message emergencyQuestion();
// The printer module (its file `module`), which holds the listing's printer, is not installed.
Message printerModuleMissing(const QString& module);

// The registration of the definitive print.
QString definitiveOperation();
QString alternativeTitle();
Message alternativeQuestion();
// Before the definitive print of a Request not yet printed.
Message definitiveQuestion(qint32 number);
Message printerRefusedNotRegistered();
// After the alternative original: send and save are enabled.
Message registered();
// After the definitive document: the Request is closed to changes from now on.
Message registeredClosed(qint32 number);
QString notRegistered();
// Before the definitive print, the Request's content would not pass the check of its transmission
// file: nothing printed, nothing registered. `faults` one per line; `reportPath` "" when not kept.
Message notSendable(const QString& faults, const QString& reportPath);

// Why a document or a listing could not be made.
QString requestMissing(qint32 number);
QString readFailure(const QString& what, const QString& number, const QString& description);
QString requestData();
QString personsData();
QString printerRefused();
QString templateUnreadable(const QString& path, const QString& reason);
QString templateWithoutTable();
QString pdfStopped();
// The foot of every page of the document: the Request, marked on a draft; and the page's number.
QString pageMark(qint32 request, bool draft);
QString pageNumber(int page, int pages);
QString pdfFailed();
QString cannotWrite(const QString& path, const QString& reason);

// On paper.
QString documentTitle();
QString listingOperatorLine(const QString& group, qint32 code, qint32 number, const QString& date);
QString listingColumnHeading();
QString pageNumber(int page);
QString legendHeading();
QString legendLine(int code, const QString& text);
QString listingDocumentName();

} // namespace vx::msg::print
