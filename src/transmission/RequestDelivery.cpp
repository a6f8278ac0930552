#include "transmission/RequestDelivery.h"

#include "assist/EmailCheck.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "net/Messages.h"
#include "store/Database.h"
#include "transmission/Messages.h"
#include "transmission/TransmissionFile.h"
#include "transmission/VersionCheck.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>

namespace vx {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");
const QString kUploadPath = QStringLiteral("/cgi-bin/fp/upload/allegati_fp_upload");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tellFileFailed(Prompter& prompter)
{
    prompter.ask(msg::transmission::fileCreationFailed());
}

} // namespace

QList<TransmissionRecord> transmissionHistory(Context& ctx, qint32 numDoma)
{
    QList<TransmissionRecord> rows;
    QSqlQuery query = ctx.db.query();
    const QString columns =
        QStringLiteral("SELECT DataOra, NumDoma, NomeFile, Dimensione, SHA256, Esito, Risposta FROM Trasmissioni");
    const bool ok =
        numDoma == 0 ? ctx.db.exec(query, columns + QStringLiteral(" ORDER BY Id DESC"))
                     : ctx.db.exec(query, columns + QStringLiteral(" WHERE NumDoma = ? ORDER BY Id DESC"), {numDoma});
    if (!ok)
        return rows;
    while (query.next()) {
        rows.append({QDateTime::fromString(query.value(0).toString(), kTimeFormat), query.value(1).toInt(),
                     query.value(2).toString(), query.value(3).toLongLong(), query.value(4).toString(),
                     query.value(5).toString(), query.value(6).toString()});
    }
    return rows;
}

RequestDelivery::RequestDelivery(Context& ctx, Exchange& exchange, const Settings& settings, QString version)
    : m_ctx(ctx), m_exchange(exchange), m_settings(settings), m_version(std::move(version))
{
}

QUrl RequestDelivery::uploadAddress() const
{
    // UPLOAD names the host (and port) of the upload server; an address with its scheme is taken
    // as it is.
    const QString upload = m_settings.upload.trimmed();
    QUrl url(upload.contains(QLatin1String("://")) ? upload : QStringLiteral("https://") + upload);
    url.setPath(kUploadPath);
    url.setQuery(QString());
    url.setUserName(QStringLiteral("robot"));
    url.setPassword(QStringLiteral("$mirto$52*"));
    return url;
}

bool RequestDelivery::checkVersion(const ProgressLabel& progress)
{
    VersionCheck check(m_ctx, m_exchange, m_version);
    return check.run(Exchange::withCredential(m_settings.versionCheck, m_settings.credential), progress);
}

bool RequestDelivery::record(const TransmissionRecord& row, bool transmitted)
{
    return m_ctx.db.inWriteTransaction([&] {
        QSqlQuery insert = m_ctx.db.query();
        // The next number is read inside the write transaction, which writers take one at a time.
        if (!m_ctx.db.exec(insert,
                           QStringLiteral("INSERT INTO Trasmissioni (Id, DataOra, NumDoma, NomeFile, Dimensione, "
                                          "SHA256, Esito, Risposta) VALUES ((SELECT COALESCE(MAX(Id), 0) + 1 FROM "
                                          "Trasmissioni), ?, ?, ?, ?, ?, ?, ?)"),
                           {row.when.toString(kTimeFormat), row.numDoma, row.fileName, row.size, row.sha256,
                            row.outcome, row.answer}))
            return false;
        if (!transmitted)
            return true;
        QSqlQuery update = m_ctx.db.query();
        return m_ctx.db.exec(update, QStringLiteral("UPDATE Domande SET DomandaTrasmessa = 1 WHERE NumDoma = ?"),
                             {row.numDoma});
    });
}

bool RequestDelivery::confirmed(const TransferResult& result)
{
    if (!result.completed || result.errorCode != 0 || result.httpStatus < 200 || result.httpStatus > 299)
        return false;
    const QString& answer = result.answer;
    if (Exchange::containsErrore(answer.toUpper()) || Exchange::isHtml(answer))
        return false;
    const qsizetype at = answer.indexOf(kSuccess);
    // "... con successo NON avvenuta" denies the phrase it repeats.
    return at >= 0 && !answer.mid(at + kSuccess.size()).trimmed().startsWith(QLatin1String("NON"), Qt::CaseInsensitive);
}

bool RequestDelivery::upload(qint32 numDoma, const QString& email, const ProgressLabel& progress)
{
    if (!VerificaEmail(m_ctx.prompter, email))
        return false;
    UserSettings().setEmail(email);
    Busy busy(m_ctx.control);
    if (!checkVersion(progress))
        return false;
    TransmissionFile file(m_ctx);
    const QString path = file.create(numDoma, email);
    if (path.isEmpty()) {
        tellFileFailed(m_ctx.prompter);
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    // The region reads the file name on the first line, then the file's lines each ended by LF.
    QByteArray body = name.toLatin1() + '\n' + readAll(path);
    body.replace("\r\n", "\n");

    const QUrl address = uploadAddress();
    const QString plain = address.toString(QUrl::RemoveUserInfo);
    TransferResult result;
    {
        ProgressFollower follower(m_exchange, progress);
        result = m_exchange.postPlain(address, body);
    }
    if (result.errorCode != 0 && !result.cancelled())
        m_ctx.prompter.ask(msg::net::deliveryTransferError(result, Settings::serviceLabel(plain),
                                                           Settings::serverLabel(plain), m_settings.certificatesPage));

    const QString uploadLabel = QStringLiteral("https://") + address.host();
    const bool sent = confirmed(result);
    // What the region answered stays in the history, with its status when that was no success.
    QString answer = result.errorCode == 0 ? result.answer : result.errorText;
    if (result.errorCode == 0 && (result.httpStatus < 200 || result.httpStatus > 299))
        answer.prepend(QStringLiteral("HTTP %1 - ").arg(result.httpStatus));
    const TransmissionRecord row{
        m_ctx.clock.now(),
        numDoma,
        name,
        body.size(),
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex()),
        sent ? kOutcomeSent : kOutcomeRefused,
        answer};
    if (sent) {
        m_ctx.prompter.ask(msg::transmission::sent(kSuccess));
        // The region holds the file now: a record that failed is offered again rather than left
        // to a second upload.
        while (!record(row, true)) {
            const DbError& error = m_ctx.db.lastError();
            if (m_ctx.prompter.ask(msg::transmission::sentNotRecorded(name, error.number, error.description)) !=
                Answer::Retry)
                return false;
        }
        QFile::remove(path);
        return true;
    }

    record(row, false); // a refusal is history too; failing to note it changes nothing else
    if (result.cancelled()) {
        m_ctx.prompter.ask(msg::transmission::notice(msg::transmission::Notice::UploadStopped));
        return false;
    }
    if (result.errorCode == Exchange::kUntrustedCertificate) {
        QFile::remove(path);
        return false;
    }
    if (result.errorCode == 0 && result.completed && !Exchange::isHtml(result.answer)) {
        m_ctx.prompter.ask(msg::net::serverAnswer(msg::net::Where::Destination, uploadLabel, result.answer));
    } else if (result.errorCode == 0 && result.completed) {
        m_ctx.prompter.ask(msg::net::serverErrorPage(m_ctx.state.serverLabel));
        showServerErrorPage(m_ctx.state.programFolder, result.raw, m_ctx.prompter, m_ctx.desktop);
    } else {
        m_ctx.prompter.ask(msg::net::uploadConnectionFailed(uploadLabel));
    }
    return false;
}

QString RequestDelivery::saveCopy(qint32 numDoma, const std::function<bool()>& askEmail, const ProgressLabel& progress)
{
    namespace m = msg::transmission;
    if (m_ctx.prompter.ask(m::notice(m::Notice::AskVersionCheck)) == Answer::Yes) {
        if (checkVersion(progress)) {
            m_ctx.prompter.ask(m::notice(m::Notice::VersionEnabled));
        } else if (m_ctx.prompter.ask(m::notice(m::Notice::VersionNotEnabledGoOn)) != Answer::Yes) {
            return QString();
        }
    }
    if (!askEmail || !askEmail()) {
        m_ctx.prompter.ask(m::emailRequired());
        return QString();
    }
    const QString email = UserSettings().email();
    Busy busy(m_ctx.control);
    TransmissionFile file(m_ctx);
    const QString path = file.create(numDoma, email);
    if (path.isEmpty()) {
        tellFileFailed(m_ctx.prompter);
        return QString();
    }
    const QString name = QFileInfo(path).fileName();
    const QString folder = QDir::toNativeSeparators(m_ctx.state.programFolder + kSaveFolder);
    QDir().mkpath(folder);
    const QString target = QDir(folder).filePath(name);
    if (QFileInfo::exists(target) && m_ctx.prompter.ask(m::overwrite(folder, name)) != Answer::Yes)
        return QString();
    QSaveFile copy(target);
    const QByteArray bytes = readAll(path);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.commit()) {
        tellFileFailed(m_ctx.prompter);
        return QString();
    }
    m_ctx.prompter.ask(m::saved(name, folder));
    return target;
}

} // namespace vx
