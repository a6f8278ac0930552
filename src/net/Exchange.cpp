#include "net/Exchange.h"
#include "core/FieldLog.h"
#include "core/Settings.h"

#include "core/Desktop.h"
#include "core/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTextDocumentFragment>
#include <QUrlQuery>

#include <limits>

#include "core/Modules.h"
#include "core/Windows1252.h"
#include "net/Messages.h"
#include "net/NetworkModule.h"

namespace vx {

namespace {
net::Module* loadedModule()
{
    return modules::moduleObject<net::Module>(Exchange::moduleFileName(), VX_NETWORK_ENTRY, net::kInterface);
}
} // namespace

bool ClientCertificate::load(const QString& path, const QString& password, ClientCertificate& out)
{
    QFile file(path);
    net::Module* module = loadedModule();
    if (!module || !file.open(QIODevice::ReadOnly))
        return false;
    ClientCertificate c{file.readAll(), password.toUtf8()};
    if (c.isNull() || !module->readsCertificate(c.pkcs12, c.secret))
        return false;
    out = c;
    return true;
}

ExchangeSettings ExchangeSettings::from(const Settings& settings)
{
    ExchangeSettings s;
    s.timeLimitMs = Settings::parseTimeLimit(QString::number(settings.timeLimitSeconds)) * 1000;
    s.caFile = settings.caFile;
    return s;
}

ExchangeSettings ExchangeSettings::ofInstallation(const QString& programFolder)
{
    return from(Settings::read(IniFile(programFolder)));
}

Exchange::Exchange(ExchangeSettings settings, QObject* parent) : QObject(parent), m_settings(std::move(settings))
{
    // Within the installation's range; anything else would overflow or disarm the timer.
    if (m_settings.timeLimitMs < 1000 || m_settings.timeLimitMs > Settings::kMaxTimeLimitSeconds * 1000)
        m_settings.timeLimitMs = Settings::kDefaultTimeLimitSeconds * 1000;
    Q_ASSERT(m_settings.timeLimitMs >= 1000 && m_settings.timeLimitMs <= Settings::kMaxTimeLimitSeconds * 1000);
}

Exchange::~Exchange() = default;

bool Exchange::moduleAvailable()
{
    return loadedModule() != nullptr;
}

QString Exchange::moduleFileName()
{
    return modules::fileOf("vx_network");
}

QString Exchange::stateText(State state)
{
    switch (state) {
    case State::Connecting:
        return msg::net::text(msg::net::Text::Connecting);
    case State::Downloading:
        return msg::net::text(msg::net::Text::Downloading);
    case State::Disconnecting:
        return msg::net::text(msg::net::Text::Disconnecting);
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

TransferResult Exchange::postFormInto(const QUrl& url, const QByteArray& body, QIODevice& into, qint64 answerLimit)
{
    return run(Method::PostForm, url, body, ClientCertificate(), answerLimit, &into);
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
    if (m_transport)
        m_transport->cancel();
}

QString Exchange::answerText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? windows1252::decode(bytes) : text;
}

TransferResult Exchange::run(Method method, const QUrl& address, const QByteArray& body,
                             const ClientCertificate& certificate, qint64 answerLimit, QIODevice* into)
{
    // One call at a time: a screen keeps its commands off while busy() (a second call started from
    // inside the wait would overwrite the call this one waits for).
    Q_ASSERT(!m_busy);
    TransferResult result;
    // An address left empty in the INI: no call, and the user told what is missing and where.
    if (!address.isValid() || address.host().isEmpty() ||
        address.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0) {
        result.errorCode = kNoAddress;
        result.errorText = msg::net::text(msg::net::Text::NoAddress);
        return result;
    }
    net::Module* module = loadedModule();
    if (!module) {
        result.errorCode = kOtherFailure;
        result.errorText = msg::net::moduleMissing(moduleFileName());
        return result;
    }
    if (!m_transport)
        m_transport = module->transport();

    net::Call call;
    call.post = method != Method::Get;
    call.url = address;
    call.answerLimit = qBound<qint64>(0, answerLimit, std::numeric_limits<qint64>::max() - 1);
    call.silenceMs = m_settings.timeLimitMs;
    call.caFile = m_settings.caFile;
    call.pkcs12 = certificate.pkcs12;
    call.pkcs12Secret = certificate.secret;
    call.body = body;
    if (into)
        call.sink = [into](QByteArrayView piece) { return into->write(piece.data(), piece.size()) == piece.size(); };
    // The account travels in the Authorization header, never in the address.
    if (!call.url.userName().isEmpty()) {
        const QByteArray account =
            call.url.userName(QUrl::FullyDecoded).toUtf8() + ':' + call.url.password(QUrl::FullyDecoded).toUtf8();
        call.headers.emplaceBack(QByteArrayLiteral("Authorization"), "Basic " + account.toBase64());
        call.url.setUserInfo(QString());
    }
    Q_ASSERT(call.url.userInfo().isEmpty());
    if (method == Method::PostForm) {
        call.headers.emplaceBack("Content-Type", "application/x-www-form-urlencoded");
        call.headers.emplaceBack("Proxy-Connection", "Keep-Alive");
        call.headers.emplaceBack("HTTP", "Protocol Version = HTTP/1.1 ");
    } else if (method == Method::PostPlain) {
        call.headers.emplaceBack("Content-Type", "text/plain");
    }

    setBusy(true);
    Q_EMIT stateChanged(State::Connecting);
    net::Progress progress;
    progress.downloading = [this] { Q_EMIT stateChanged(State::Downloading); };
    progress.received = [this](qint64 bytes) { Q_EMIT received(bytes); };
    const net::Outcome outcome = m_transport->run(call, progress);
    Q_EMIT stateChanged(State::Disconnecting);

    result.httpStatus = outcome.httpStatus;
    switch (outcome.end) {
    case net::Outcome::End::TimedOut:
        result.errorCode = kTimeout;
        result.errorText = msg::net::timedOut(m_settings.timeLimitMs);
        break;
    case net::Outcome::End::TooLarge:
        result.errorCode = kAnswerTooLarge;
        result.errorText = msg::net::answerTooLarge(call.answerLimit);
        break;
    case net::Outcome::End::Cancelled:
        result.errorCode = kCancelled;
        result.errorText = msg::net::text(msg::net::Text::CancelledByUser);
        break;
    case net::Outcome::End::Failed:
        result.errorCode = outcome.failureCode;
        result.errorText = msg::net::transferFailure(outcome.failureCode, outcome.failureText);
        // Not an untrusted server: the authorities it should have been checked against were never read.
        if (result.errorCode == kUntrustedCertificate && outcome.caFileUnusable) {
            result.errorCode = kCaFileUnusable;
            result.errorText = msg::net::caFileUnusable(QDir::toNativeSeparators(m_settings.caFile));
        }
        break;
    case net::Outcome::End::NotKept:
        result.errorCode = kNotKept;
        result.errorText = into ? into->errorString() : QString();
        break;
    case net::Outcome::End::Answer:
        result.raw = outcome.answer;
        result.answer = answerText(result.raw);
        result.completed = true;
        break;
    }
    setBusy(false);
    // The server and the page, never the account or what the address asks.
    if (result.errorCode == 0)
        qCInfo(vxNet, "chiamata a %s%s: risposta HTTP %d", qUtf8Printable(call.url.host()),
               qUtf8Printable(call.url.path()), result.httpStatus);
    else
        qCWarning(vxNet, "chiamata a %s%s non riuscita (%d): %s", qUtf8Printable(call.url.host()),
                  qUtf8Printable(call.url.path()), result.errorCode, qUtf8Printable(result.errorText));
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
