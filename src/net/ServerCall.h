#pragma once
// What every caller of the regional form services does around a call, written once: the transfer
// states on the progress label, the transfer monitor's message for a transfer error, and the
// server-error message that shows the server's page.
//
// The user's own cancel is not a transfer error to report: the caller says what was stopped.

#include "core/Prompter.h"
#include "net/Exchange.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

namespace vx {

struct Context;

using ProgressLabel = std::function<void(const QString& text)>;

// "Si è verificato un errore in trasmissione, " + code + " : " + text, with the advice that
// goes with an untrusted certificate (12045) or a host that cannot be found (12007). The
// certificate's advice names `secureServer` (the host, in capitals) when the caller gives it.
Message transferErrorMessage(const TransferResult& result, const QString& secureServer = QString());

// Follows the transfer states of `exchange` on `progress` for the length of a scope, and while
// the answer arrives, the bytes received so far.
class ProgressFollower {
public:
    ProgressFollower(Exchange& exchange, const ProgressLabel& progress);
    ~ProgressFollower();
    ProgressFollower(const ProgressFollower&) = delete;
    ProgressFollower& operator=(const ProgressFollower&) = delete;

private:
    QMetaObject::Connection m_state;
    QMetaObject::Connection m_received;
};

// A form POST with the transfer states on `progress`; a transfer error (other than the user's
// cancel) is told before returning, with `describe` (transferErrorMessage when none is given).
// With `into`, the answer is written there as it arrives (Exchange::postFormInto).
TransferResult postAndReport(Exchange& exchange, Prompter& prompter, const ProgressLabel& progress, const QUrl& url,
                             const QByteArray& body, qint64 answerLimit = Exchange::kDefaultAnswerLimit,
                             const std::function<Message(const TransferResult&)>& describe = {},
                             QIODevice* into = nullptr);

// A plain-text error answer, shown in full under "Errore restituito dal Server", naming the service.
Message serverAnswerMessage(const QString& service, const QString& answer);

// The server-error message naming the service of `address`, then the answer as ErrServer.html.
void tellServerError(Context& context, const QString& address, const TransferResult& result);

} // namespace vx
