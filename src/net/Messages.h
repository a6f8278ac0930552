#pragma once
// What the exchange with the regional servers tells the user: the transfer states of the progress
// labels, the transfer failures, the server's error answers and pages, and the identification of
// the operator. Every text once, here; callers pass the values each message shows.

#include "core/Prompter.h"

#include <QString>

namespace vx {
struct TransferResult;
}

namespace vx::msg::net {

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // The progress labels of a call.
    // The title of the exchanges with the region ("Trasmissione dati").
    DataTransmissionTitle,
    Connecting,
    Downloading,
    Disconnecting,
    Processing,
    Processed,
    // The installation names no (https) address for the service called.
    NoAddress,
    CancelledByUser,
    CertificateTitle,
    NoPersonalCertificate,
    // Titles.
    ConnectionError,
};
QString text(Text id);

// Still downloading, with the bytes received so far.
QString received(qint64 bytes);

// The Italian text of a transfer failure of `code` (the codes of Exchange); `fallback` for a code
// without a text of its own.
QString transferFailure(int code, const QString& fallback);
// The installation names no (https) address for the service called.
QString timedOut(int timeLimitMs);
QString answerTooLarge(qint64 limit);
// The file of further certificate authorities (CERTIFICATI_CA) is missing, unreadable or holds no
// certificate: the server could not be verified against it.
QString caFileUnusable(const QString& path);
// The network module (its file `module`), which makes every call to a server, is not installed.
QString moduleMissing(const QString& module);

// "Si è verificato un errore in trasmissione, ...": the form services' wording, with the advice
// that goes with an untrusted certificate (naming `secureServer` when given) or an unknown host.
Message transferError(const TransferResult& result, const QString& secureServer = QString());
// The same for the delivery's calls: it names `service`, and for an untrusted certificate
// `server` and the region's page of certificate instructions.
Message deliveryTransferError(const TransferResult& result, const QString& service, const QString& server,
                              const QString& certificatesPage);

// Where a failed call went: a service of the region, or the upload's destination server.
enum class Where { Service, Destination };
// A plain-text error answer, shown in full.
Message serverAnswer(Where where, const QString& label, const QString& answer);
// An HTML error page: the user is told that the page will be shown. `service` is omitted when empty.
Message serverErrorPage(const QString& server, const QString& service = QString());
// No answer from the version check (`service` of `server`).
Message connectionFailed(const QString& server, const QString& service);
// No answer from the upload's destination.
Message uploadConnectionFailed(const QString& destination);

// The operator's identification.
Message certificateMissing(const QString& path);
QString certificatePasswordPrompt(const QString& fileName);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    CertificatePasswordWrong,
    AlternativeIdentification,
    AuthenticationFailed,
    AuthenticationUnreachable,
};
Message notice(Notice id);

QString identityPageUnavailable(int code, const QString& text);
Message notConnected(const QString& reason);

} // namespace vx::msg::net
