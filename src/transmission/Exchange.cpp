#include "transmission/Exchange.h"
#include "core/Settings.h"

#include "core/Desktop.h"
#include "core/IniFile.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QSslConfiguration>
#include <QStringDecoder>
#include <QTextDocumentFragment>
#include <QTimer>

#include "core/Windows1252.h"

namespace vx {

bool ClientCertificate::load(const QString& path, const QString& password, ClientCertificate& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ClientCertificate c;
    if (!QSslCertificate::importPkcs12(&file, &c.key, &c.certificate, &c.chain, password.toUtf8()))
        return false;
    out = c;
    return !out.isNull();
}

ExchangeSettings ExchangeSettings::from(const Settings& settings)
{
    ExchangeSettings s;
    s.timeLimitMs = settings.timeLimitSeconds * 1000;
    s.caFile = settings.caFile;
    return s;
}

Exchange::Exchange(ExchangeSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_network(new QNetworkAccessManager(this))
{
}

Exchange::~Exchange()
{
    if (m_reply)
        m_reply->abort();
}

QString Exchange::stateText(State state)
{
    switch (state) {
    case State::Connecting:
        return QStringLiteral("Connessione al Server ... ");
    case State::Downloading:
        return QStringLiteral("... Downloading in corso ... ");
    case State::Disconnecting:
        return QStringLiteral("Disconnessione dal Server ... ");
    }
    return QString();
}

QUrl Exchange::withCredential(const QString& address, const QString& credential)
{
    const qsizetype slashes = address.indexOf(QLatin1String("//"));
    if (slashes < 0)
        return QUrl(address);
    return QUrl(address.left(slashes + 2) + credential + address.mid(slashes + 2));
}

QString Exchange::pageText(const QString& answer)
{
    if (!isHtml(answer))
        return answer;
    return QTextDocumentFragment::fromHtml(answer).toPlainText();
}

TransferResult Exchange::postForm(const QUrl& url, const QByteArray& body)
{
    return run(Method::PostForm, url, body, ClientCertificate());
}

TransferResult Exchange::postPlain(const QUrl& url, const QByteArray& body)
{
    return run(Method::PostPlain, url, body, ClientCertificate());
}

TransferResult Exchange::get(const QUrl& url, const ClientCertificate& certificate)
{
    return run(Method::Get, url, {}, certificate);
}

void Exchange::cancel()
{
    m_cancelled = true;
    if (m_reply)
        m_reply->abort();
}

namespace {

QString decodeAnswer(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? windows1252::decode(bytes) : text;
}

int certificateCode(const QList<QSslError>& errors)
{
    for (const QSslError& e : errors) {
        switch (e.error()) {
        case QSslError::HostNameMismatch:
            return Exchange::kCertificateName;
        case QSslError::CertificateExpired:
        case QSslError::CertificateNotYetValid:
            return Exchange::kCertificateDate;
        default:
            break;
        }
    }
    return Exchange::kUntrustedCertificate;
}

int transferCode(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return Exchange::kHostNotFound;
    case QNetworkReply::ConnectionRefusedError:
        return Exchange::kCannotConnect;
    case QNetworkReply::RemoteHostClosedError:
        return Exchange::kConnectionAborted;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return Exchange::kConnectionReset;
    case QNetworkReply::TimeoutError:
        return Exchange::kTimeout;
    case QNetworkReply::SslHandshakeFailedError:
        return Exchange::kUntrustedCertificate;
    case QNetworkReply::ProtocolFailure:
    case QNetworkReply::ProtocolUnknownError:
        return Exchange::kInvalidResponse;
    default:
        return Exchange::kOtherFailure;
    }
}

// Failures of the connection itself, as opposed to an HTTP error answer, which is an answer.
bool isTransferError(QNetworkReply::NetworkError error)
{
    const int e = static_cast<int>(error);
    return (e > 0 && e < 200) || (e >= 300 && e < 400);
}

QString transferText(int code, const QString& fallback)
{
    switch (code) {
    case Exchange::kHostNotFound:
        return QStringLiteral("Impossibile risolvere il nome del server.");
    case Exchange::kCannotConnect:
        return QStringLiteral("Impossibile stabilire la connessione con il server.");
    case Exchange::kConnectionAborted:
        return QStringLiteral("La connessione è stata interrotta dal server.");
    case Exchange::kConnectionReset:
        return QStringLiteral("La connessione con il server è stata reimpostata.");
    case Exchange::kCertificateDate:
        return QStringLiteral("Il certificato del server è scaduto o non ancora valido.");
    case Exchange::kCertificateName:
        return QStringLiteral("Il certificato del server non corrisponde al nome del server.");
    case Exchange::kUntrustedCertificate:
        return QStringLiteral("Il certificato del server non è emesso da un'autorità riconosciuta.");
    case Exchange::kInvalidResponse:
        return QStringLiteral("Il server ha dato una risposta non valida.");
    default:
        return fallback;
    }
}

} // namespace

TransferResult Exchange::run(Method method, const QUrl& address, const QByteArray& body,
                             const ClientCertificate& certificate)
{
    TransferResult result;
    m_cancelled = false;

    QUrl url = address;
    QNetworkRequest request;
    // The account travels in the Authorization header, never in the address.
    if (!url.userName().isEmpty()) {
        const QByteArray account =
            url.userName(QUrl::FullyDecoded).toUtf8() + ':' + url.password(QUrl::FullyDecoded).toUtf8();
        request.setRawHeader("Authorization", "Basic " + account.toBase64());
        url.setUserInfo(QString());
    }
    request.setUrl(url);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    if (!m_settings.caFile.isEmpty())
        ssl.addCaCertificates(m_settings.caFile);
    ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!certificate.isNull()) {
        ssl.setLocalCertificate(certificate.certificate);
        ssl.setPrivateKey(certificate.key);
        ssl.setLocalCertificateChain(QList<QSslCertificate>{certificate.certificate} + certificate.chain);
    }
    request.setSslConfiguration(ssl);
    if (method == Method::PostForm) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        request.setRawHeader("Proxy-Connection", "Keep-Alive");
        request.setRawHeader("HTTP", "Protocol Version = HTTP/1.1 ");
    } else if (method == Method::PostPlain) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain"));
    }

    Q_EMIT stateChanged(State::Connecting);
    QNetworkReply* reply = method == Method::Get ? m_network->get(request) : m_network->post(request, body);
    m_reply = reply;
    QList<QSslError> sslErrors;
    bool downloading = false;
    connect(reply, &QNetworkReply::sslErrors, this, [&](const QList<QSslError>& errors) { sslErrors += errors; });
    connect(reply, &QNetworkReply::downloadProgress, this, [&](qint64 received, qint64) {
        if (received > 0 && !downloading) {
            downloading = true;
            Q_EMIT stateChanged(State::Downloading);
        }
    });

    bool timedOut = false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    limit.start(m_settings.timeLimitMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::AllEvents);
    limit.stop();
    Q_EMIT stateChanged(State::Disconnecting);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.httpStatus = status.isValid() ? status.toInt() : 0;
    if (timedOut) {
        result.errorCode = kTimeout;
        result.errorText = QStringLiteral("Tempo scaduto: il server non ha risposto entro %1 secondi.")
                               .arg(m_settings.timeLimitMs / 1000.0, 0, 'f', m_settings.timeLimitMs % 1000 ? 1 : 0);
    } else if (m_cancelled) {
        result.errorCode = kCancelled;
        result.errorText = QStringLiteral("Operazione annullata dall'utente.");
    } else if (reply->error() != QNetworkReply::NoError &&
               (result.httpStatus == 0 || isTransferError(reply->error()))) {
        result.errorCode = !sslErrors.isEmpty() ? certificateCode(sslErrors) : transferCode(reply->error());
        result.errorText = transferText(result.errorCode, reply->errorString());
    } else {
        result.raw = reply->readAll();
        result.answer = decodeAnswer(result.raw);
        result.completed = true;
    }
    m_reply = nullptr;
    reply->deleteLater();
    return result;
}

bool showServerErrorPage(const QString& programFolder, const QByteArray& answer, Desktop& desktop)
{
    const QString path = programFolder + QStringLiteral("ErrServer.html");
    QFile::remove(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(answer) != answer.size() || !file.commit())
        return false;
    return desktop.openUrl(QUrl::fromLocalFile(path));
}

} // namespace vx
