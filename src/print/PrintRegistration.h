#pragma once
// The registration of the definitive print: the hinge of a Request's life.
//
//     not printed --(definitive document written whole, or the listing accepted by the printer)--> printed
//     printed --(upload of the transmission file)--> transmitted
//
// A printed Request keeps its persons and roles read-only, can no longer be deleted, and may be
// transmitted or saved. Nothing sets it back. Drafts never register; a definitive run that wrote
// no document, or a listing the printer did not take, registers nothing either.

#include "core/Context.h"
#include "core/Prompter.h"

#include <QString>

#include <functional>

namespace vx {

class PrintRegistration {
public:
    // The transmission screen's send and save commands and the caption of its exit command.
    struct DeliveryState {
        bool sendEnabled = false;
        bool saveEnabled = false;
        QString exitLabel;
        bool operator==(const DeliveryState&) const = default;
    };

    explicit PrintRegistration(Context& context) : m_ctx(context) {}

    // Before a definitive print that would register the selected Request: whether its content
    // could be sent as it stands (the check of its transmission file). False after telling the
    // user which persons to correct: then nothing may be printed as definitive, nor registered.
    bool sendableBeforeRegistering();

    // DomandaStampata of the selected Request, as stored (false when the row is missing).
    bool trasDoma();
    static DeliveryState stateFor(bool printed);
    DeliveryState stateAtLoad() { return stateFor(trasDoma()); }

    // Sets DomandaStampata under the error trap; a Request deleted meanwhile is told. True when
    // the Request is registered; the application-wide printed flag follows.
    bool registraStampa();

    // The transmission screen's print command, after the print dialog closed: registers when the
    // dialog wrote the definitive document whole and the Request was not printed before, and then
    // tells the user that the Request is closed to changes.
    DeliveryState afterDefinitivePrint(const DeliveryState& current, bool printedBefore, bool definitiveWritten);

    // "Stampa Originale Alternativa": the question, then the listing (`printListing` gives true
    // when the printer took the job), then the registration. Send and save are enabled only when
    // it went through.
    DeliveryState alternativePrint(const DeliveryState& current, const std::function<bool()>& printListing);

private:
    // DomandaStampata set under the error trap of `operation`; a Request gone is told.
    bool markPrinted(const QString& operation);

    Context& m_ctx;
};

} // namespace vx
