#pragma once
// What the print tells the user and writes on paper: the print dialog's and the transmission
// screen's captions, the messages of a run and of the registration, the failures of the document
// and of its PDF, and the fixed texts of the document and of the plain listing.

#include "core/Prompter.h"

#include <QString>

namespace vx::msg::print {

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // The print dialog, by the print choice.
    DraftCaption,
    DraftType,
    DefinitiveCaption,
    DefinitiveType,
    PrinterSetUpCaption,
    // The progress form.
    ProgressCaption,
    DocumentNumberCaption,
    MakingPdf,
    // The transmission screen and the delivery confirmation.
    DeliveryCaption,
    SendConfirmationCaption,
    ExitDisabled,
    // A run.
    PrintErrorTitle,
    // The registration of the definitive print.
    DefinitiveOperation,
    AlternativeTitle,
    NotRegistered,
    RequestData,
    PersonsData,
    PrinterRefused,
    TemplateWithoutTable,
    PdfStopped,
    PdfFailed,
    // On paper.
    DocumentTitle,
    LegendHeading,
    ListingDocumentName,
    // The delivery screen's commands.
    DeliveryPrintCaption,
    DeliveryEmergencyCaption,
    DeliverySaveCaption,
    DeliverySendCaption,
    // The print dialog: the interval between pages, the print without the template.
    IntervalFrame,
    IntervalLabel,
    IntervalName,
    IntervalUnit,
    IntervalNote,
    IntervalZeroNote,
    EmergencyFrame,
    EmergencyCaption,
    EmergencyNote,
    // The Request's frame on the print screens.
    RequestLabel,
    // The send confirmation: what the delivery will do.
    SendHeading,
    SendStepsHeading,
    SendStepPrint,
    SendStepCopy,
    SendStepSend,
    SendWarningHeading,
    SendWarning,
};
QString text(Text id);

// The progress form.
QString compiling(const QString& printType);

// A run.
Message printFailed(const QString& reason);
Message fileCreated(const QString& path);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    EmergencyQuestion,
    // The registration of the definitive print.
    AlternativeQuestion,
};
Message notice(Notice id);

// The printer module (its file `module`), which holds the listing's printer, is not installed.
Message printerModuleMissing(const QString& module);

// Before the definitive print of a Request not yet printed.
Message definitiveQuestion(qint32 number);
Message printerRefusedNotRegistered();
// After the alternative original: send and save are enabled.
Message registered();
// After the definitive document: the Request is closed to changes from now on.
Message registeredClosed(qint32 number);
// Before the definitive print, the Request's content would not pass the check of its transmission
// file: nothing printed, nothing registered. `faults` one per line; `reportPath` "" when not kept.
Message notSendable(const QString& faults, const QString& reportPath);

// Why a document or a listing could not be made.
QString requestMissing(qint32 number);
QString readFailure(const QString& what, const QString& number, const QString& description);
QString templateUnreadable(const QString& path, const QString& reason);
// The foot of every page of the document: the Request, marked on a draft; and the page's number.
QString pageMark(qint32 request, bool draft);
QString pageNumber(int page, int pages);
QString cannotWrite(const QString& path, const QString& reason);

// On paper.
QString listingOperatorLine(const QString& group, qint32 code, qint32 number, const QString& date);
QString listingColumnHeading();
QString pageNumber(int page);
QString legendLine(int code, const QString& text);

} // namespace vx::msg::print
