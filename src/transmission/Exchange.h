#pragma once
// Every call to the regional servers: an HTTPS request with the fixed headers of the form
// services, a time limit, a wait that keeps the screens painting (and can be cancelled), the
// transfer states for the progress labels, and the answer as text.
//
// Certificates are always verified, against the system's authorities and an optional file of
// further authorities named by the installation. Transfer failures carry the codes the messages
// depend on: 12045 for a server certificate that is not trusted, 12007 for a host that cannot
// be found, 12002 for a call that ran out of time.
//
// An answer that arrived (whatever its HTTP status) is an answer: the callers decide whether it
// is a server error ("ERRORE", or an HTML page).

#include "core/Settings.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace vx {

class Desktop;
class IniFile;

struct ClientCertificate {
    QSslCertificate certificate;
    QSslKey key;
    QList<QSslCertificate> chain;

    bool isNull() const { return certificate.isNull(); }
    // Reads a PKCS#12 file; false when the file or its password is wrong.
    static bool load(const QString& path, const QString& password, ClientCertificate& out);
};

struct ExchangeSettings {
    int timeLimitMs = Settings::kDefaultTimeLimitSeconds * 1000;
    QString caFile; // further trusted authorities (PEM); empty: the system's only

    static ExchangeSettings from(const Settings& settings);
};

struct TransferResult {
    bool completed = false; // the answer arrived whole
    int errorCode = 0;      // 0 when the answer arrived
    QString errorText;
    int httpStatus = 0;
    QByteArray raw; // the answer as it came
    QString answer; // the answer as text

    bool failed() const { return !completed || errorCode != 0 || answer.isEmpty(); }
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

    enum class State { Connecting, Downloading, Disconnecting };

    explicit Exchange(ExchangeSettings settings, QObject* parent = nullptr);
    ~Exchange() override;

    // A form-encoded POST with the fixed headers of the form services.
    TransferResult postForm(const QUrl& url, const QByteArray& body);
    // A POST with no extra headers (the upload).
    TransferResult postPlain(const QUrl& url, const QByteArray& body);
    // A GET, presenting `certificate` when one is given (the identity page).
    TransferResult get(const QUrl& url, const ClientCertificate& certificate = ClientCertificate());

    // Stops the call in progress; it ends as a transfer error (12017).
    void cancel();

    static QString stateText(State state);
    // `address` with `credential` put right after the "//" that follows its scheme.
    static QUrl withCredential(const QString& address, const QString& credential);
    static bool containsErrore(const QString& answer) { return answer.contains(QLatin1String("ERRORE")); }
    static bool isHtml(const QString& answer)
    {
        return answer.contains(QLatin1String("<h")) || answer.contains(QLatin1String("<H"));
    }
    // The visible text of an answer page.
    static QString pageText(const QString& answer);

Q_SIGNALS:
    void stateChanged(vx::Exchange::State state);

private:
    enum class Method { Get, PostForm, PostPlain };
    TransferResult run(Method method, const QUrl& url, const QByteArray& body, const ClientCertificate& certificate);

    ExchangeSettings m_settings;
    QNetworkAccessManager* m_network;
    QPointer<QNetworkReply> m_reply;
    bool m_cancelled = false;
};

// The server's answer written, as it came, to ErrServer.html in the program folder (an older copy
// is replaced) and opened with the default viewer.
bool showServerErrorPage(const QString& programFolder, const QByteArray& answer, Desktop& desktop);

} // namespace vx
