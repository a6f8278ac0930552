#include "backup/Messages.h"

#include "core/TextTable.h"

#include "store/Database.h"
#include "store/ErrorAdvice.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QStringList>

#include <zip.h>

namespace vx::msg::backup {

namespace {
Message error(const QString& text)
{
    return {text, QStringLiteral("Errore"), Icon::Critical, Buttons::Ok};
}

// "Errore <number> - <description>", and the Italian line when there is one.
QString errorText(const DbError& e)
{
    const QString advice = errorAdvice(e);
    return QStringLiteral("Errore ") + e.number + QStringLiteral(" - ") + e.description +
           (advice.isEmpty() ? QString() : QLatin1Char('\n') + advice);
}

QString megabytes(qint64 bytes)
{
    return QLocale(QLocale::Italian).toString(double(bytes) / (1024.0 * 1024.0), 'f', 0) + QStringLiteral(" MB");
}

constexpr TextEntry<Text> kTexts[] = {
    {Text::Title, u"Salvataggio/Recupero Dati"},
    {Text::CannotSetAside, u"Impossibile mettere da parte la base dati corrente."},
    {Text::ReplaceOption, u"Sostituisci la base dati corrente con quella recuperata"},
    {Text::ArchiveFilter, u"Backup Predefinito (VELTRANORPX.zip)|VELTRANORPX.zip|Archivio ZIP (*.zip)|*.zip"},
    {Text::ChooseBackupArchive, u"Scegli dove salvare l'archivio di backup"},
    {Text::ChooseRestoreArchive, u"Scegli l'archivio di backup da recuperare"},
    {Text::BackupFileName, u"File di Backup"},
    {Text::BackupFileLabel, u"File di Backup:"},
    {Text::BackupConfirmCaption, u"Esegui il backup"},
    {Text::BackupTab, u"Salvataggio"},
    {Text::RestoreFileName, u"File .zip da ripristinare"},
    {Text::RestoreFileLabel, u"File .zip da ripristinare:"},
    {Text::RestoreConfirmCaption, u"Esegui il recupero"},
    {Text::RestoreTab, u"Recupero"},
};
static_assert(std::size(kTexts) == size_t(Text::RestoreTab) + 1 && inOrder(kTexts));

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::BackupDone, u"Backup eseguito con successo.", kAppName, Icon::Information, Buttons::Ok},
    {Notice::RestoreDone, u"Recupero eseguito con successo", kAppName, Icon::Information, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::RestoreDone) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

Message chooseArchiveFirst()
{
    return error(QStringLiteral("Selezionare prima un nome per l'Archivio di Backup."));
}

Message chooseRestoreFirst()
{
    return error(QStringLiteral("Nessun file da ripristinare selezionato."));
}

Message backupFailed(const QString& reason)
{
    return {QStringLiteral("Backup fallito\n\n") + reason, kAppTitle, Icon::Critical, Buttons::Ok};
}

Message restoredUpgraded(int from, int to, const QString& copy)
{
    return {QStringLiteral("L'archivio era della versione %1 di VELTRANORPX: la base dati recuperata è stata "
                           "aggiornata alla versione %2.\nUna copia di com'era nell'archivio è in:\n%3")
                .arg(from)
                .arg(to)
                .arg(QDir::toNativeSeparators(copy)),
            kAppTitle, Icon::Information, Buttons::Ok};
}

Message restoreFailed(const QString& reason)
{
    return {QStringLiteral("Recupero fallito\n\n") + reason, kAppTitle, Icon::Critical, Buttons::Ok};
}

QString copyFailed(const DbError& e)
{
    return errorText(e);
}

QString unreadableArchive(const QString& archive, const QString& reason)
{
    return QStringLiteral("Il file ") + archive + QStringLiteral(" non è un archivio leggibile: ") + reason;
}

QString entryIsAPath(const QString& entry)
{
    return QStringLiteral("L'archivio contiene la voce \"") + entry +
           QStringLiteral("\", che indica un percorso: per sicurezza non viene ripristinato nulla.");
}

QString otherEntries(const QString& database, const QStringList& others)
{
    return QStringLiteral("L'archivio contiene altri file oltre alla base dati ") + database + QStringLiteral(": ") +
           others.join(QStringLiteral(", ")) + QStringLiteral(".\nNon viene ripristinato nulla.");
}

QString noDatabaseEntry(const QString& database)
{
    return QStringLiteral("L'archivio non contiene la base dati ") + database + QLatin1Char('.');
}

QString tooLarge(const QString& database, qint64 size, qint64 limit)
{
    // A size just past the limit rounds to the same megabytes: then both are said in bytes.
    const QLocale italian(QLocale::Italian);
    const bool close = megabytes(size) == megabytes(limit);
    const auto shown = [&](qint64 bytes) {
        return close ? italian.toString(bytes) + QStringLiteral(" byte") : megabytes(bytes);
    };
    return QStringLiteral("La base dati ") + database + QStringLiteral(" contenuta nell'archivio occupa ") +
           shown(size) + QStringLiteral(", oltre il limite di ") + shown(limit) +
           QStringLiteral(" che nessuna base dati di VELTRANORPX raggiunge: l'archivio non viene estratto.");
}

QString noRoomToUnpack(const QString& folder, qint64 size)
{
    return QStringLiteral("Spazio insufficiente nella cartella ") + folder +
           QStringLiteral(" per estrarre la base dati (") + megabytes(size) + QStringLiteral(").");
}

QString cannotUnpack(const QString& reason)
{
    return QStringLiteral("Impossibile estrarre la base dati dall'archivio: ") + reason;
}

QString notWhole(const QString& database)
{
    return QStringLiteral("Il file ") + database +
           QStringLiteral(" contenuto nell'archivio non è una base dati integra di VELTRANORPX.");
}

QString cannotKeepCopy(const QString& folder)
{
    return QStringLiteral("Impossibile conservare una copia della base dati corrente nella cartella ") + folder +
           QLatin1Char('.');
}

QString cannotWriteBeside(const QString& folder)
{
    return QStringLiteral("Impossibile scrivere nella cartella della base dati ") + folder + QLatin1Char('.');
}

QString cannotReplace(const QString& database)
{
    return QStringLiteral("Impossibile sostituire la base dati ") + database + QLatin1Char('.');
}

QString restoredDoesNotOpen(const DbError& e)
{
    return QStringLiteral("La base dati ripristinata non si apre (") + errorText(e) +
           QStringLiteral("): la base dati in uso non è stata sostituita.");
}

QString serverUnavailable(const DbError& e)
{
    return QStringLiteral("La base dati del server non è raggiungibile (") + errorText(e) +
           QStringLiteral("): nulla è stato sostituito.");
}

QString serverNotReplaced(const DbError& e)
{
    return QStringLiteral("Le tabelle della base dati del server non sono state sostituite (") + errorText(e) +
           QStringLiteral("): la base dati in uso è rimasta com'era.");
}

QString zipError(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("il file non è un archivio zip");
    case ZIP_ER_EXISTS:
        return QStringLiteral("l'archivio contiene due voci con lo stesso nome");
    case ZIP_ER_INCONS:
    case ZIP_ER_CRC:
    case ZIP_ER_COMPRESSED_DATA:
        return QStringLiteral("l'archivio è danneggiato");
    case ZIP_ER_NOENT:
    case ZIP_ER_OPEN:
        return QStringLiteral("il file non esiste o non può essere aperto");
    case ZIP_ER_READ:
    case ZIP_ER_EOF:
        return QStringLiteral("errore di lettura dell'archivio");
    case ZIP_ER_WRITE:
    case ZIP_ER_TMPOPEN:
    case ZIP_ER_RENAME:
    case ZIP_ER_CLOSE:
        return QStringLiteral("errore di scrittura dell'archivio (disco pieno o cartella non scrivibile?)");
    case ZIP_ER_MEMORY:
        return QStringLiteral("memoria insufficiente");
    case ZIP_ER_ENCRNOTSUPP:
    case ZIP_ER_COMPNOTSUPP:
    case ZIP_ER_NOPASSWD:
    case ZIP_ER_WRONGPASSWD:
        return QStringLiteral("l'archivio usa una compressione o una cifratura non supportata");
    case ZIP_ER_MULTIDISK:
        return QStringLiteral("l'archivio è diviso su più file, che il programma non legge");
    case ZIP_ER_SEEK:
    case ZIP_ER_TELL:
        return QStringLiteral("errore di posizionamento nel file dell'archivio");
    case ZIP_ER_ZLIB:
        return QStringLiteral("i dati compressi dell'archivio sono danneggiati");
    case ZIP_ER_RDONLY:
        return QStringLiteral("l'archivio si può solo leggere");
    case ZIP_ER_OPNOTSUPP:
        return QStringLiteral("l'operazione non è possibile su questo file (una cartella o un file speciale?)");
    case ZIP_ER_INUSE:
        return QStringLiteral("il file dell'archivio è già in uso");
    case ZIP_ER_CHANGED:
    case ZIP_ER_REMOVE:
    case ZIP_ER_DELETED:
        return QStringLiteral("il file dell'archivio è stato cambiato o rimosso durante il lavoro");
    default:
        return QStringLiteral("errore interno della libreria zip (codice %1)").arg(code);
    }
}

QString cannotWrite(const QString& path)
{
    return QStringLiteral("impossibile scrivere ") + path;
}

QString keepCopyOption(const QString& folder)
{
    return QStringLiteral("Sostituisci le basi dati correnti e conservane una copia nella cartella \"") + folder +
           QLatin1Char('"');
}

Message restoreQuestion(const QString& archive, const QDateTime& made, const QString& replaced, bool keepCopy,
                        const QString& keptFolder)
{
    QString text = QStringLiteral("Recuperare la base dati dall'archivio\n%1\ndel %2?\n\n"
                                  "La base dati in uso (%3) sarà sostituita da quella dell'archivio: ciò che è stato "
                                  "inserito dopo quella data andrà perso.")
                       .arg(QDir::toNativeSeparators(archive), made.toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                            replaced.contains(QLatin1Char('/')) ? QDir::toNativeSeparators(replaced) : replaced);
    text += keepCopy ? QStringLiteral("\nUna copia della base dati in uso sarà conservata nella cartella \"%1\".")
                           .arg(keptFolder)
                     : QStringLiteral("\nDella base dati in uso non sarà conservata alcuna copia.");
    return {text, msg::backup::text(Text::Title), Icon::Question, Buttons::YesNo};
}

} // namespace vx::msg::backup
