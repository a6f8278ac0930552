#include "net/Exchange.h"
#include "core/Settings.h"

#include "core/Desktop.h"
#include "core/IniFile.h"

#include <QDir>
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
#include "net/Messages.h"

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
    Q_ASSERT(m_settings.timeLimitMs >= 1000 && m_settings.timeLimitMs <= Settings::kMaxTimeLimitSeconds * 1000);
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
        return msg::net::connecting();
    case State::Downloading:
        return msg::net::downloading();
    case State::Disconnecting:
        return msg::net::disconnecting();
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

// The further authorities of the installation; empty when the file is missing, unreadable or
// holds no certificate in either of the two encodings an authority's file comes in.
QList<QSslCertificate> furtherAuthorities(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QList<QSslCertificate> found = QSslCertificate::fromData(bytes, QSsl::Pem);
    if (found.isEmpty())
        found = QSslCertificate::fromData(bytes, QSsl::Der);
    return found;
}

} // namespace

TransferResult Exchange::run(Method method, const QUrl& address, const QByteArray& body,
                             const ClientCertificate& certificate, qint64 answerLimit)
{
    // One call at a time: a screen keeps its commands off while busy() (a second call started from
    // inside the wait would overwrite the reply this one waits for).
    Q_ASSERT(!m_busy);
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
    Q_ASSERT(url.userInfo().isEmpty());
    request.setUrl(url);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    bool caFileUnusable = false;
    if (!m_settings.caFile.isEmpty()) {
        const QList<QSslCertificate> authorities = furtherAuthorities(m_settings.caFile);
        caFileUnusable = authorities.isEmpty();
        ssl.addCaCertificates(authorities);
    }
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

    setBusy(true);
    Q_EMIT stateChanged(State::Connecting);
    QNetworkReply* reply = method == Method::Get ? m_network->get(request) : m_network->post(request, body);
    m_reply = reply;
    QList<QSslError> sslErrors;
    connect(reply, &QNetworkReply::sslErrors, this, [&](const QList<QSslError>& errors) { sslErrors += errors; });

    // The time limit is the longest silence: every sign of life from either side starts it again,
    // so that a large answer still arriving on a slow line is never cut off.
    bool timedOut = false;
    QTimer silence;
    silence.setSingleShot(true);
    connect(&silence, &QTimer::timeout, reply, [&] {
        timedOut = true;
        reply->abort();
    });
    auto alive = [&] {
        if (!timedOut)
            silence.start(m_settings.timeLimitMs);
    };
    connect(reply, &QNetworkReply::uploadProgress, this, [&](qint64 sent, qint64) {
        if (sent > 0)
            alive();
    });
    bool downloading = false;
    connect(reply, &QNetworkReply::downloadProgress, this, [&](qint64 bytes, qint64) {
        if (bytes <= 0)
            return;
        alive();
        if (!downloading) {
            downloading = true;
            Q_EMIT stateChanged(State::Downloading);
        }
        Q_EMIT received(bytes);
    });

    // The answer is taken as it arrives, so that one larger than the cap is stopped right there.
    QByteArray answer;
    bool tooLarge = false;
    auto refuseTooLarge = [&] {
        tooLarge = true;
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [&] {
        alive();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (!tooLarge && length.isValid() && length.toLongLong() > answerLimit)
            refuseTooLarge();
    });
    connect(reply, &QNetworkReply::readyRead, this, [&] {
        if (tooLarge)
            return;
        answer += reply->read(answerLimit + 1 - answer.size());
        if (answer.size() > answerLimit)
            refuseTooLarge();
    });

    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    alive();
    if (!reply->isFinished())
        loop.exec(QEventLoop::AllEvents);
    silence.stop();
    QObject::disconnect(reply, nullptr, this, nullptr);
    Q_EMIT stateChanged(State::Disconnecting);

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    result.httpStatus = status.isValid() ? status.toInt() : 0;
    if (timedOut) {
        result.errorCode = kTimeout;
        result.errorText = msg::net::timedOut(m_settings.timeLimitMs);
    } else if (tooLarge) {
        result.errorCode = kAnswerTooLarge;
        result.errorText = msg::net::answerTooLarge(answerLimit);
    } else if (m_cancelled) {
        result.errorCode = kCancelled;
        result.errorText = msg::net::cancelledByUser();
    } else if (reply->error() != QNetworkReply::NoError &&
               (result.httpStatus == 0 || isTransferError(reply->error()))) {
        result.errorCode = !sslErrors.isEmpty() ? certificateCode(sslErrors) : transferCode(reply->error());
        result.errorText = msg::net::transferFailure(result.errorCode, reply->errorString());
        // Not an untrusted server: the authorities it should have been checked against were never read.
        if (result.errorCode == kUntrustedCertificate && caFileUnusable) {
            result.errorCode = kCaFileUnusable;
            result.errorText = msg::net::caFileUnusable(QDir::toNativeSeparators(m_settings.caFile));
        }
    } else {
        answer += reply->read(answerLimit + 1 - answer.size());
        if (answer.size() > answerLimit || !reply->atEnd()) {
            result.errorCode = kAnswerTooLarge;
            result.errorText = msg::net::answerTooLarge(answerLimit);
        } else {
            result.raw = answer;
            result.answer = decodeAnswer(result.raw);
            result.completed = true;
        }
    }
    m_reply = nullptr;
    reply->deleteLater();
    setBusy(false);
    return result;
}

void Exchange::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
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
