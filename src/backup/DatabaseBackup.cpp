#include "backup/DatabaseBackup.h"

#include "backup/ZipArchive.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace vx {

namespace {
const QString kError = QStringLiteral("Errore");
const QString kFailed = QStringLiteral("Recupero fallito");

// Copies `from` to `to` through a temporary name beside `to`, flushed to disk before the rename,
// so that `to` is always the old file or the whole new one.
bool copyDurably(const QString& from, const QString& to)
{
    const QString temporary = to + QStringLiteral(".tmp");
    QFile::remove(temporary);
    QFile in(from);
    QFile out(temporary);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    bool ok = true;
    while (ok && !(chunk = in.read(1 << 20)).isEmpty())
        ok = out.write(chunk) == chunk.size();
    ok = ok && in.error() == QFileDevice::NoError && out.flush() && ::fsync(out.handle()) == 0;
    out.close();
    if (!ok || ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(temporary);
        return false;
    }
    return true;
}

} // namespace

void DatabaseBackup::releaseDatabase()
{
    m_ctx.db.close();
}

bool DatabaseBackup::reopenDatabase()
{
    return reopen(m_ctx, kTitle);
}

bool DatabaseBackup::reopen(Context& ctx, const QString& operation)
{
    ctx.db.close();
    ErrorTrap trap(ctx.prompter, ctx.control);
    return trap.run(operation, [&ctx] {
        return ctx.db.open(ctx.state.provider, ctx.state.databasePath, Database::modeFor(ctx.state.installationType))
                   ? DbError()
                   : ctx.db.lastError();
    });
}

QString DatabaseBackup::archivePathFor(const QString& text)
{
    const QFileInfo info(text);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    return QDir(info.path()).filePath(base + QStringLiteral(".zip"));
}

QString DatabaseBackup::lastArchive() const
{
    return Settings::read(IniFile(m_ctx.state.programFolder)).backupFile;
}

FileChoice DatabaseBackup::saveChoice(const QString& current) const
{
    // The folder of the last archive; without one, the user's own folder (there are no
    // diskette drives to start from).
    const QString last = current.isEmpty() ? lastArchive() : current;
    const QString folder = last.isEmpty() ? QDir::homePath() : QFileInfo(last).absolutePath();
    return {QStringLiteral("Scegli il database"), folder,
            QStringLiteral("Backup Predefinito (VELTRANORPX.zip)|VELTRANORPX.zip|WinZip File (*.zip)|*.zip"),
            kDefaultArchive};
}

FileChoice DatabaseBackup::openChoice(const QString& backupText) const
{
    FileChoice choice = saveChoice(backupText);
    choice.proposedName.clear();
    return choice;
}

QString DatabaseBackup::databaseName() const
{
    return QFileInfo(m_ctx.state.databasePath).fileName();
}

bool DatabaseBackup::packSnapshot(const QString& archive, QString* error)
{
    QTemporaryDir work;
    if (!work.isValid()) {
        *error = work.errorString();
        return false;
    }
    const QString snapshot = work.filePath(databaseName());
    DbError copyError;
    if (!copyDatabase(m_ctx.state.databasePath, snapshot, &copyError)) {
        *error = QStringLiteral("Errore ") + copyError.number + QStringLiteral(" - ") + copyError.description;
        return false;
    }
    return zip::packFile(snapshot, databaseName(), archive, error);
}

DatabaseBackup::Outcome DatabaseBackup::backup(const QString& archiveText)
{
    if (archiveText.trimmed().isEmpty()) {
        m_ctx.prompter.tell(QStringLiteral("Selezionare prima un nome per l'Archivio di Backup."), kError,
                            Icon::Critical);
        return Outcome::ChooseFile;
    }
    const QString archive = archivePathFor(archiveText);
    IniFile ini(m_ctx.state.programFolder);
    QString error;
    bool ok;
    {
        Busy busy(m_ctx.control);
        ok = packSnapshot(archive, &error);
    }
    // The setting names the archive really written, also when the typed name had no ".zip".
    Settings::writeBackupFile(ini, ok ? archive : QString());
    if (!ok) {
        m_ctx.prompter.tell(QStringLiteral("Backup fallito") + QStringLiteral("\n\n") + error, kAppTitle,
                            Icon::Critical);
        return Outcome::Failed;
    }
    m_ctx.prompter.tell(QStringLiteral("Backup eseguito con successo."), kAppTitle, Icon::Information);
    return Outcome::Done;
}

void DatabaseBackup::fail(const QString& reason)
{
    m_ctx.prompter.tell(kFailed + QStringLiteral("\n\n") + reason, kAppTitle, Icon::Critical);
}

DatabaseBackup::Outcome DatabaseBackup::restore(const QString& archive, bool keepCopy,
                                                const std::function<void(RestoreStep)>& reached)
{
    auto step = [&](RestoreStep s) {
        if (reached)
            reached(s);
    };
    if (archive.trimmed().isEmpty()) {
        m_ctx.prompter.tell(QStringLiteral("Nessun file da ripristinare selezionato."), kError, Icon::Critical);
        return Outcome::ChooseFile;
    }
    const QString name = databaseName();
    const QString current = m_ctx.state.databasePath;
    const QString archiveFolder = QFileInfo(archive).absolutePath();
    Busy busy(m_ctx.control);

    // What the archive holds: only the database, under its own name.
    QList<zip::Entry> entries;
    QString error;
    if (!zip::listEntries(archive, entries, &error)) {
        fail(QStringLiteral("Il file ") + archive + QStringLiteral(" non è un archivio leggibile: ") + error);
        return Outcome::Failed;
    }
    QStringList others;
    bool found = false;
    for (const zip::Entry& e : std::as_const(entries)) {
        if (!zip::isPlainName(e.name)) {
            fail(QStringLiteral("L'archivio contiene la voce \"") + e.name +
                 QStringLiteral("\", che indica un percorso: per sicurezza non viene ripristinato nulla."));
            return Outcome::Failed;
        }
        if (e.name == name)
            found = true;
        else
            others.append(e.name);
    }
    if (!others.isEmpty()) {
        fail(QStringLiteral("L'archivio contiene altri file oltre alla base dati ") + name + QStringLiteral(": ") +
             others.join(QStringLiteral(", ")) + QStringLiteral(".\nNon viene ripristinato nulla."));
        return Outcome::Failed;
    }
    if (!found) {
        fail(QStringLiteral("L'archivio non contiene la base dati ") + name + QLatin1Char('.'));
        return Outcome::Failed;
    }

    // A shared database is replaced only while nobody else holds it; holding it ourselves keeps
    // others out until the new file is in place. A missing or damaged current file is no reason
    // to refuse: that is when a restore is needed most.
    Database hold;
    if (!hold.open(m_ctx.state.provider, current, Database::Mode::StandAlone) && hold.lastOpenWasLocked()) {
        m_ctx.prompter.tell(QStringLiteral("Qualche client potrebbe ancora essere connesso alla base dati. \r\n\r\n"
                                           "L'operazione non è consentita."),
                            kTitle, Icon::Critical);
        return Outcome::Failed;
    }

    step(RestoreStep::Checked);
    // Unpacked into the work folder and proved before anything is replaced.
    const QString work = QDir(archiveFolder).filePath(kWorkFolder);
    const QString unpacked = QDir(work).filePath(name);
    auto cleanWork = [&] {
        QFile::remove(unpacked);
        QDir().rmdir(work);
    };
    if (!QDir().mkpath(work) || !zip::extractEntry(archive, name, unpacked, &error)) {
        cleanWork();
        fail(QStringLiteral("Impossibile estrarre la base dati dall'archivio: ") + error);
        return Outcome::Failed;
    }
    if (!isWholeDatabase(unpacked)) {
        cleanWork();
        fail(QStringLiteral("Il file ") + name +
             QStringLiteral(" contenuto nell'archivio non è una base dati integra di VELTRANORPX."));
        return Outcome::Failed;
    }

    step(RestoreStep::Unpacked);
    const bool hadCurrent = QFileInfo(current).isFile();
    if (keepCopy && hadCurrent) {
        const QString kept = QDir(archiveFolder).filePath(kKeptFolder);
        if (!QDir().mkpath(kept) || !copyDurably(current, QDir(kept).filePath(name))) {
            cleanWork();
            fail(QStringLiteral("Impossibile conservare una copia della base dati corrente nella cartella ") + kept +
                 QLatin1Char('.'));
            return Outcome::Failed;
        }
    }

    step(RestoreStep::CopyKept);
    // The new file is staged beside the database (same file system), the current one is kept
    // aside under a second name, and one rename puts the new one in place.
    const QString staged = current + QStringLiteral(".ripristino");
    const QString aside = current + QStringLiteral(".precedente");
    if (!copyDurably(unpacked, staged)) {
        cleanWork();
        fail(QStringLiteral("Impossibile scrivere nella cartella della base dati ") +
             QFileInfo(current).absolutePath() + QLatin1Char('.'));
        return Outcome::Failed;
    }
    cleanWork();
    step(RestoreStep::Staged);
    QFile::remove(aside);
    if (hadCurrent && ::link(QFile::encodeName(current).constData(), QFile::encodeName(aside).constData()) != 0 &&
        !copyDurably(current, aside)) {
        QFile::remove(staged);
        fail(QStringLiteral("Impossibile mettere da parte la base dati corrente."));
        return Outcome::Failed;
    }
    step(RestoreStep::KeptAside);
    hold.close();
    if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(current).constData()) != 0) {
        QFile::remove(staged);
        QFile::remove(aside);
        fail(QStringLiteral("Impossibile sostituire la base dati ") + current + QLatin1Char('.'));
        return Outcome::Failed;
    }

    step(RestoreStep::Replaced);
    // The restored file must open as the installation opens it; otherwise the old one goes back.
    Database check;
    if (!check.open(m_ctx.state.provider, current, Database::modeFor(m_ctx.state.installationType))) {
        const DbError e = check.lastError();
        if (hadCurrent)
            ::rename(QFile::encodeName(aside).constData(), QFile::encodeName(current).constData());
        fail(QStringLiteral("La base dati ripristinata non si apre (Errore ") + e.number + QStringLiteral(" - ") +
             e.description + QStringLiteral("): è stata rimessa al suo posto quella di prima."));
        return Outcome::Failed;
    }
    check.close();
    QFile::remove(aside);
    step(RestoreStep::Done);
    m_ctx.prompter.tell(QStringLiteral("Recupero eseguito con successo"), kAppTitle, Icon::Information);
    return Outcome::Done;
}

} // namespace vx
