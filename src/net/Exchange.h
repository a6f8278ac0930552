#pragma once
// Every call to the regional servers: an HTTPS request with the fixed headers of the form
// services, a time limit, a wait that keeps the screens painting (and can be cancelled), the
// transfer states for the progress labels, and the answer as text.
//
// Certificates are always verified, against the system's authorities and an optional file of
// further authorities named by the installation. Transfer failures carry the codes the messages
// depend on: 12045 for a server certificate that is not trusted, 12007 for a host that cannot
// be found, 12002 for a call that ran out of time, 12152 for an answer larger than the call
// allows (every answer has a cap, so that a server that never stops talking cannot fill the
// memory; the default suits every form service, a call that expects more says so), 12178 for a
// server that could not be trusted because the installation's file of authorities could not be read.
//
// The time limit is the longest silence a call bears, not the length of the whole transfer. It
// always lies within the range the installation may set (1 to 3600 seconds); a value outside it,
// however it came, gives the default rather than a timer that overflows.
//
// An answer that arrived (whatever its HTTP status) is an answer: the callers decide whether it
// is a server error ("ERRORE", or an HTML page).
//
// The calls themselves are made by the network module (net/NetworkModule.h), loaded on the first
// one; without it every call fails with 12000 and says the module is missing.

#include "core/Settings.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>
#include <utility>

namespace vx {

class Desktop;
class IniFile;
class Prompter;

namespace net {
class Transport;
}

// A certificate to present, with its key, as its PKCS#12 file holds them.
struct ClientCertificate {
    QByteArray pkcs12;
    QByteArray secret;

    bool isNull() const { return pkcs12.isEmpty(); }
    // Reads a PKCS#12 file; false when the file or its password is wrong (or the network module,
    // which reads it, is missing).
    static bool load(const QString& path, const QString& password, ClientCertificate& out);
};

struct ExchangeSettings {
    // Read from the installation by `from`, which takes TEMPO_LIMITE as Settings parses it.
    int timeLimitMs = Settings::kDefaultTimeLimitSeconds * 1000;
    QString caFile; // further trusted authorities (PEM); empty: the system's only

    static ExchangeSettings from(const Settings& settings);
    // The settings of the installation in `programFolder`, read from its INI file.
    static ExchangeSettings ofInstallation(const QString& programFolder);
};

struct TransferResult {
    bool completed = false; // the answer arrived whole
    int errorCode = 0;      // 0 when the answer arrived
    QString errorText;
    int httpStatus = 0;
    QByteArray raw; // the answer as it came (empty when it went into a device)
    QString answer; // the answer as text (likewise)

    bool failed() const { return !completed || errorCode != 0 || answer.isEmpty(); }
    // Stopped by the user ("Interrompi", or Escape or the close box of the window in front).
    bool cancelled() const;
};

class Exchange : public QObject {
    Q_OBJECT
public:
    static constexpr int kTimeout = 12002;
    static constexpr int kHostNotFound = 12007;
    static constexpr int kCancelled = 12017;
    static constexpr int kCannotConnect = 12029;
    static constexpr int kConnectionAborted = 12030;
    static constexpr int kConnectionReset = 12031;
    static constexpr int kCertificateDate = 12037;
    static constexpr int kCertificateName = 12038;
    static constexpr int kUntrustedCertificate = 12045;
    static constexpr int kInvalidResponse = 12152;
    static constexpr int kOtherFailure = 12000;
    static constexpr int kCaFileUnusable = 12178;
    static constexpr int kAnswerTooLarge = kInvalidResponse;
    // The answer could not be written where the call was to keep it (the errorText is the
    // device's): not a failure of the transfer, and no text of the transfer messages.
    static constexpr int kNotKept = 12001;
    // The installation names no address for the service (or one that is no https address).
    static constexpr int kNoAddress = 12005;

    // The cap of an answer when the call names none.
    static constexpr qint64 kDefaultAnswerLimit = 4 * 1024 * 1024;

    enum class State { Connecting, Downloading, Disconnecting };

    explicit Exchange(ExchangeSettings settings, QObject* parent = nullptr);
    ~Exchange() override;

    // Whether the network module is there to make the calls (loaded, if not yet), and its file.
    static bool moduleAvailable();
    static QString moduleFileName();

    // The time limit of every call, in milliseconds.
    int timeLimitMs() const { return m_settings.timeLimitMs; }

    // A form-encoded POST with the fixed headers of the form services.
    TransferResult postForm(const QUrl& url, const QByteArray& body, qint64 answerLimit = kDefaultAnswerLimit);
    // The same, the answer written into `into` as it arrives instead of being kept in memory: an
    // answer of tens of megabytes costs no more than a piece of it. The result's raw and answer stay
    // empty; a write that fails stops the call with kNotKept.
    TransferResult postFormInto(const QUrl& url, const QByteArray& body, QIODevice& into,
                                qint64 answerLimit = kDefaultAnswerLimit);
    // A POST with no extra headers: the upload of the transmission file sends none. Nothing calls it
    // before the upload is built; it is kept for it.
    TransferResult postPlain(const QUrl& url, const QByteArray& body, qint64 answerLimit = kDefaultAnswerLimit);
    // A GET, presenting `certificate` when one is given (the identity page).
    TransferResult get(const QUrl& url, const ClientCertificate& certificate = ClientCertificate(),
                       qint64 answerLimit = kDefaultAnswerLimit);

    // Stops the call in progress; it ends as a transfer error (12017).
    void cancel();
    // A call is in progress: the screens keep the commands that would start another one off.
    bool busy() const { return m_busy; }

    static QString stateText(State state);
    // `address` with the account of `credential` ("user:password@", the credential text of the
    // installation) put right after the "//" that follows its scheme. User and password are
    // percent-encoded, so that "@", "/", "#", "?" or "%" in them cannot change the address.
    static QUrl withCredential(const QString& address, const QString& credential);
    // A form-encoded body of `fields`, in order; every value is encoded whole ("+" and "&" included).
    static QByteArray formBody(const QList<std::pair<QString, QString>>& fields);
    static bool containsErrore(const QString& answer) { return answer.contains(QLatin1String("ERRORE")); }
    static bool isHtml(const QString& answer)
    {
        return answer.contains(QLatin1String("<h")) || answer.contains(QLatin1String("<H"));
    }
    // An answer's bytes as text: UTF-8 when they read as such, Windows-1252 otherwise.
    static QString answerText(const QByteArray& bytes);
    // The visible text of an answer page.
    static QString pageText(const QString& answer);

Q_SIGNALS:
    void stateChanged(vx::Exchange::State state);
    // The bytes of the answer received so far.
    void received(qint64 bytes);
    void busyChanged(bool busy);

private:
    enum class Method { Get, PostForm, PostPlain };
    TransferResult run(Method method, const QUrl& url, const QByteArray& body, const ClientCertificate& certificate,
                       qint64 answerLimit, QIODevice* into = nullptr);
    void setBusy(bool busy);

    ExchangeSettings m_settings;
    std::unique_ptr<net::Transport> m_transport; // made on the first call
    bool m_busy = false;
};

inline bool TransferResult::cancelled() const
{
    return errorCode == Exchange::kCancelled;
}

// The server's answer written, as it came, to ErrServer.html in the program folder (an older copy
// is replaced) and opened with the default viewer; when no program can show it, the user is told
// the file's path.
bool showServerErrorPage(const QString& programFolder, const QByteArray& answer, Prompter& prompter, Desktop& desktop);

} // namespace vx
