#include "transmission/RequestDelivery.h"

#include "assist/EmailCheck.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "store/Database.h"
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
    prompter.tell(QStringLiteral("Creazione file di trasmissione fallita."),
                  QStringLiteral("Crea File di Trasmissione"), Icon::Critical);
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
        if (!m_ctx.db.exec(insert,
                           QStringLiteral("INSERT INTO Trasmissioni (DataOra, NumDoma, NomeFile, Dimensione, SHA256, "
                                          "Esito, Risposta) VALUES (?, ?, ?, ?, ?, ?, ?)"),
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

bool RequestDelivery::upload(qint32 numDoma, const QString& email, const ProgressLabel& progress)
{
    if (!VerificaEmail(m_ctx.prompter, email))
        return false;
    UserSettings().setEmail(email);
    Busy busy(m_ctx.control);
    if (!checkVersion(progress))
        return false;
    m_ctx.state.emailValid = true;
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

    TransferResult result;
    {
        ProgressFollower follower(m_exchange, progress);
        result = m_exchange.postPlain(uploadAddress(), body);
    }
    if (result.errorCode != 0 && !result.cancelled())
        m_ctx.prompter.ask(deliveryTransferErrorMessage(result, uploadAddress(), m_settings.certificatesPage));

    const QUrl address = uploadAddress();
    const QString uploadLabel = QStringLiteral("https://") + address.host();
    const bool sent = result.completed && result.errorCode == 0 && result.answer.contains(kSuccess);
    const TransmissionRecord row{
        m_ctx.clock.now(),
        numDoma,
        name,
        body.size(),
        QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex()),
        sent ? kOutcomeSent : kOutcomeRefused,
        result.errorCode == 0 ? result.answer : result.errorText};
    if (sent) {
        m_ctx.prompter.tell(kSuccess, QStringLiteral("TRASMISSIONE TERMINATA"), Icon::Information);
        if (!record(row, true)) {
            const DbError& error = m_ctx.db.lastError();
            m_ctx.prompter.tell(QStringLiteral("La Regione ha ricevuto il file ") + name +
                                    QStringLiteral(", ma non è stato possibile registrare la trasmissione della "
                                                   "domanda: il file resta nella cartella del programma.\r\nErrore ") +
                                    error.number + QStringLiteral(" --> ") + error.description,
                                QStringLiteral("Trasmissione"), Icon::Critical);
            return false;
        }
        QFile::remove(path);
        return true;
    }

    record(row, false); // a refusal is history too; failing to note it changes nothing else
    if (result.cancelled())
        return false;
    if (result.errorCode == Exchange::kUntrustedCertificate) {
        QFile::remove(path);
        return false;
    }
    if (result.errorCode == 0 && result.completed && !Exchange::isHtml(result.answer)) {
        m_ctx.prompter.tell(QStringLiteral("Operazione non riuscita (server di destinazione: ") + uploadLabel +
                                QStringLiteral("). Il server ha restituito il seguente messaggio di errore: \r\n\r\n") +
                                result.answer +
                                QStringLiteral("\r\n\r\nControllare i dati immessi e ritentare l'operazione, oppure "
                                               "contattare il servizio di assistenza KVR riportando questo messaggio."),
                            QStringLiteral("Errore restituito dal Server"), Icon::Critical);
    } else if (result.errorCode == 0 && result.completed) {
        m_ctx.prompter.tell(QStringLiteral("Si è verificato un errore sul server ") + m_ctx.state.serverLabel +
                                QStringLiteral(", cliccando su OK il sistema cercherà di visualizzare ulteriori "
                                               "informazioni sull'errore. Contattare il servizio assistenza KVR "
                                               "riportando questo messaggio e le informazioni visualizzate"),
                            QStringLiteral("ERRORE"), Icon::None);
        showServerErrorPage(m_ctx.state.programFolder, result.raw, m_ctx.prompter, m_ctx.desktop);
    } else {
        m_ctx.prompter.tell(QStringLiteral("Errore di connessione al server (server di destinazione: ") + uploadLabel +
                                QStringLiteral("). Riprovare in un secondo momento, oppure contattare il servizio "
                                               "di assistenza KVR riportando questo messaggio."),
                            QStringLiteral("Errore di connessione"), Icon::Critical);
    }
    return false;
}

QString RequestDelivery::saveCopy(qint32 numDoma, const std::function<bool()>& askEmail, const ProgressLabel& progress)
{
    const Message question{
        QStringLiteral("E' possibile controllare se questa versione dell'applicativo è aggiornata e quindi abilitata "
                       "alla trasmissione.\r\nQualunque sia l'esito del controllo, sarà comunque possibile effettuare "
                       "la copia dei dati.\r\nE' necessario che sia attiva la connessione ad Internet. Procedere?"),
        QStringLiteral("Controllo Versione"), Icon::Information, Buttons::YesNo};
    if (m_ctx.prompter.ask(question) == Answer::Yes) {
        if (checkVersion(progress)) {
            m_ctx.prompter.tell(QStringLiteral("La presente versione dell'applicativo è abilitata alla trasmissione."),
                                QStringLiteral("Controllo Versione"), Icon::Information);
        } else {
            const Message goOn{
                QStringLiteral("La presente versione dell'applicativo non è abilitata alla trasmissione. "
                               "Scaricare ed installare il più presto possibile la versione più "
                               "recente. Continuare l'operazione di copia su dischetto?"),
                QStringLiteral("Controllo Versione"), Icon::Critical, Buttons::YesNo};
            if (m_ctx.prompter.ask(goOn) != Answer::Yes)
                return QString();
        }
    }
    m_ctx.state.emailValid = false;
    if (!askEmail || !askEmail()) {
        m_ctx.prompter.tell(QStringLiteral("E' necessario specificare un indirizzo di posta\r\nelettronica per poter "
                                           "procedere al salvataggio dei dati."),
                            QStringLiteral("Salvataggio dati"), Icon::Exclamation);
        return QString();
    }
    m_ctx.state.emailValid = true;
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
    if (QFileInfo::exists(target)) {
        const Message overwrite{QStringLiteral("Nella cartella \r\n") + folder +
                                    QStringLiteral("\r\nE' già presente un file \r\n") + name +
                                    QStringLiteral("\r\nSovrascriverlo?"),
                                QStringLiteral("File di trasmissione già esistente"), Icon::None, Buttons::YesNo};
        if (m_ctx.prompter.ask(overwrite) != Answer::Yes)
            return QString();
    }
    QSaveFile copy(target);
    const QByteArray bytes = readAll(path);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(bytes) != bytes.size() || !copy.commit()) {
        tellFileFailed(m_ctx.prompter);
        return QString();
    }
    m_ctx.prompter.tell(QStringLiteral("Il file \r\n") + name +
                            QStringLiteral("\r\nè stato salvato nella cartella\r\n") + folder,
                        QStringLiteral("Copia dei dati effettuata."), Icon::Information);
    return target;
}

} // namespace vx
