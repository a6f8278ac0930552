#include "net/Exchange.h"
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
#include <QUrlQuery>

#include <limits>

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
    s.timeLimitMs = Settings::parseTimeLimit(QString::number(settings.timeLimitSeconds)) * 1000;
    s.caFile = settings.caFile;
    return s;
}

Exchange::Exchange(ExchangeSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings)), m_network(new QNetworkAccessManager(this))
{
    // Within the installation's range; anything else would overflow or disarm the timer.
    if (m_settings.timeLimitMs < 1000 || m_settings.timeLimitMs > Settings::kMaxTimeLimitSeconds * 1000)
        m_settings.timeLimitMs = Settings::kDefaultTimeLimitSeconds * 1000;
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
    QUrl url(address);
    if (credential.isEmpty() || !address.contains(QLatin1String("//")))
        return url;
    QString account = credential;
    if (account.endsWith(QLatin1Char('@')))
        account.chop(1);
    const qsizetype colon = account.indexOf(QLatin1Char(':'));
    url.setUserName(colon < 0 ? account : account.left(colon), QUrl::DecodedMode);
    if (colon >= 0)
        url.setPassword(account.mid(colon + 1), QUrl::DecodedMode);
    return url;
}

QByteArray Exchange::formBody(const QList<std::pair<QString, QString>>& fields)
{
    // Values go in already encoded: QUrlQuery leaves "+" alone, which a form reader takes for a blank.
    QUrlQuery query;
    for (const auto& [name, value] : fields)
        query.addQueryItem(name, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    return query.toString(QUrl::FullyEncoded).toLatin1();
}

QString Exchange::pageText(const QString& answer)
{
    if (!isHtml(answer))
        return answer;
    return QTextDocumentFragment::fromHtml(answer).toPlainText();
}

TransferResult Exchange::postForm(const QUrl& url, const QByteArray& body, qint64 answerLimit)
{
    return run(Method::PostForm, url, body, ClientCertificate(), answerLimit);
}

TransferResult Exchange::postPlain(const QUrl& url, const QByteArray& body, qint64 answerLimit)
{
    return run(Method::PostPlain, url, body, ClientCertificate(), answerLimit);
}

TransferResult Exchange::get(const QUrl& url, const ClientCertificate& certificate, qint64 answerLimit)
{
    return run(Method::Get, url, {}, certificate, answerLimit);
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

QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes / 1024);
    return QStringLiteral("%1 byte").arg(bytes);
}

} // namespace

TransferResult Exchange::run(Method method, const QUrl& address, const QByteArray& body,
                             const ClientCertificate& certificate, qint64 answerLimit)
{
    TransferResult result;
    m_cancelled = false;
    answerLimit = qBound<qint64>(0, answerLimit, std::numeric_limits<qint64>::max() - 1);

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

    // The answer is taken as it arrives, so that one larger than the cap is stopped right there.
    QByteArray received;
    bool tooLarge = false;
    auto refuseTooLarge = [&] {
        tooLarge = true;
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!tooLarge && length.isValid() && length.toLongLong() > answerLimit)
            refuseTooLarge();
    });
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        if (tooLarge)
            return;
        received += reply->read(answerLimit + 1 - received.size());
        if (received.size() > answerLimit)
            refuseTooLarge();
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
    QObject::disconnect(reply, nullptr, this, nullptr);
    Q_EMIT stateChanged(State::Disconnecting);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.httpStatus = status.isValid() ? status.toInt() : 0;
    if (timedOut) {
        result.errorCode = kTimeout;
        result.errorText = QStringLiteral("Tempo scaduto: il server non ha risposto entro %1 secondi.")
                               .arg(m_settings.timeLimitMs / 1000.0, 0, 'f', m_settings.timeLimitMs % 1000 ? 1 : 0);
    } else if (tooLarge) {
        result.errorCode = kAnswerTooLarge;
        result.errorText = QStringLiteral("La risposta del server supera il limite di %1.").arg(sizeText(answerLimit));
    } else if (m_cancelled) {
        result.errorCode = kCancelled;
        result.errorText = QStringLiteral("Operazione annullata dall'utente.");
    } else if (reply->error() != QNetworkReply::NoError &&
               (result.httpStatus == 0 || isTransferError(reply->error()))) {
        result.errorCode = !sslErrors.isEmpty() ? certificateCode(sslErrors) : transferCode(reply->error());
        result.errorText = transferText(result.errorCode, reply->errorString());
    } else {
        received += reply->read(answerLimit + 1 - received.size());
        if (received.size() > answerLimit || !reply->atEnd()) {
            result.errorCode = kAnswerTooLarge;
            result.errorText =
                QStringLiteral("La risposta del server supera il limite di %1.").arg(sizeText(answerLimit));
        } else {
            result.raw = received;
            result.answer = decodeAnswer(result.raw);
            result.completed = true;
        }
    }
    m_reply = nullptr;
    reply->deleteLater();
    return result;
}

bool showServerErrorPage(const QString& programFolder, const QByteArray& answer, Prompter& prompter, Desktop& desktop)
{
    const QString path = programFolder + QStringLiteral("ErrServer.html");
    QFile::remove(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(answer) != answer.size() || !file.commit())
        return false;
    return openOrTell(prompter, desktop, QUrl::fromLocalFile(path));
}

} // namespace vx
