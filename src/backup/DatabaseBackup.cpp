#include "backup/DatabaseBackup.h"

#include "backup/Messages.h"
#include "backup/ZipArchive.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/DurableFile.h"
#include "core/FieldLog.h"
#include "core/HeldFile.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Messages.h"
#include "store/Schema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <QStorageInfo>

namespace vx {

namespace {
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
    ok = ok && in.error() == QFileDevice::NoError && out.flush();
    out.close();
    if (!ok || out.error() != QFileDevice::NoError || !putInPlace(temporary, to)) {
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
    return reopen(m_ctx, msg::backup::text(msg::backup::Text::Title));
}

bool DatabaseBackup::reopen(Context& ctx, const QString& operation)
{
    ctx.db.close();
    ErrorTrap trap(ctx.prompter, ctx.control);
    return trap.run(operation, [&ctx] {
        return ctx.db.open(targetOf(ctx.state), Database::modeFor(ctx.state.installationType)) ? DbError()
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
    return {msg::backup::text(msg::backup::Text::ChooseBackupArchive), folder,
            msg::backup::text(msg::backup::Text::ArchiveFilter), kDefaultArchive};
}

FileChoice DatabaseBackup::openChoice(const QString& backupText) const
{
    FileChoice choice = saveChoice(backupText);
    choice.title = msg::backup::text(msg::backup::Text::ChooseRestoreArchive);
    choice.proposedName.clear();
    return choice;
}

QString DatabaseBackup::databaseName() const
{
    // A database on a server is archived under the name a file of it would have, so that an
    // archive restores on either engine.
    if (targetOf(m_ctx.state).isServer())
        return m_ctx.state.databaseFileName.isEmpty() ? Settings::kDatabaseFileName : m_ctx.state.databaseFileName;
    return QFileInfo(m_ctx.state.databasePath).fileName();
}

namespace {
const QString kSnapshotPrefix = QStringLiteral("veltranorpx-copia-");
const QString kInUse = QStringLiteral("in-uso");

// The copies of the database that backups killed before their end left in the temporary folder.
// A run holds a lock on its folder's marker as long as it lives, so a folder whose lock can be
// taken belongs to a run that is gone.
void removeLeftSnapshots()
{
    const QDir temporary(QDir::tempPath());
    for (const QString& name : temporary.entryList({kSnapshotPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden)) {
        QDir folder(temporary.filePath(name));
        HeldFile marker;
        const bool gone = !marker.open(folder.filePath(kInUse), HeldFile::Access::Read) || marker.lockWhole(false);
        marker.close();
        if (gone)
            folder.removeRecursively();
    }
}
} // namespace

bool DatabaseBackup::packSnapshot(const QString& archive, QString* error,
                                  const std::function<void(BackupStep)>& reached, const QStringList& alongside)
{
    auto step = [&](BackupStep s) {
        if (reached)
            reached(s);
    };
    removeLeftSnapshots();
    QTemporaryDir work(QDir(QDir::tempPath()).filePath(kSnapshotPrefix + QStringLiteral("XXXXXX")));
    HeldFile inUse;
    if (!work.isValid() || !inUse.open(work.filePath(kInUse), HeldFile::Access::ReadWriteCreate) ||
        !inUse.lockWhole(true)) {
        *error = msg::backup::cannotWrite(QDir::tempPath());
        return false;
    }
    const QString snapshot = work.filePath(databaseName());
    DbError copyError;
    bool ok = snapshotDatabase(targetOf(m_ctx.state), snapshot, &copyError);
    if (!ok) {
        *error = msg::backup::copyFailed(copyError);
    } else {
        step(BackupStep::Copied);
        ok = backup::packFiles(snapshot, databaseName(), alongside, archive, error, [&] { step(BackupStep::Packed); });
    }
    inUse.close();
    return ok;
}

DatabaseBackup::Outcome DatabaseBackup::backup(const QString& archiveText,
                                               const std::function<void(BackupStep)>& reached)
{
    if (archiveText.trimmed().isEmpty()) {
        m_ctx.prompter.ask(msg::backup::chooseArchiveFirst());
        return Outcome::ChooseFile;
    }
    const QString archive = archivePathFor(archiveText);
    IniFile ini(m_ctx.state.programFolder);
    QString error;
    bool ok;
    {
        Busy busy(m_ctx.control);
        ok = packSnapshot(archive, &error, reached);
    }
    // The setting names the archive really written, also when the typed name had no ".zip".
    Settings::writeBackupFile(ini, ok ? archive : QString());
    if (!ok) {
        qCWarning(vxBackup, "backup non riuscito: %s", qUtf8Printable(error));
        m_ctx.prompter.ask(msg::backup::backupFailed(error));
        return Outcome::Failed;
    }
    qCInfo(vxBackup, "backup scritto in %s", qUtf8Printable(QFileInfo(archive).fileName()));
    m_ctx.prompter.ask(msg::backup::notice(msg::backup::Notice::BackupDone));
    return Outcome::Done;
}

void DatabaseBackup::fail(const QString& reason)
{
    qCWarning(vxBackup, "recupero non riuscito: %s", qUtf8Printable(reason));
    m_ctx.prompter.ask(msg::backup::restoreFailed(reason));
}

DatabaseBackup::Outcome DatabaseBackup::restore(const QString& archive, bool keepCopy,
                                                const std::function<void(RestoreStep)>& reached)
{
    auto step = [&](RestoreStep s) {
        if (reached)
            reached(s);
    };
    if (archive.trimmed().isEmpty()) {
        m_ctx.prompter.ask(msg::backup::chooseRestoreFirst());
        return Outcome::ChooseFile;
    }
    const QString name = databaseName();
    const QString current = m_ctx.state.databasePath;
    const QString archiveFolder = QFileInfo(archive).absolutePath();
    Busy busy(m_ctx.control);

    // What the archive holds: only the database, under its own name.
    QList<backup::ZipEntry> entries;
    QString error;
    if (!backup::listEntries(archive, entries, &error)) {
        fail(msg::backup::unreadableArchive(archive, error));
        return Outcome::Failed;
    }
    QStringList others;
    bool found = false;
    for (const backup::ZipEntry& e : std::as_const(entries)) {
        if (!backup::isPlainName(e.name)) {
            fail(msg::backup::entryIsAPath(e.name));
            return Outcome::Failed;
        }
        if (e.name == name)
            found = true;
        else
            others.append(e.name);
    }
    if (!others.isEmpty()) {
        fail(msg::backup::otherEntries(name, others));
        return Outcome::Failed;
    }
    if (!found) {
        fail(msg::backup::noDatabaseEntry(name));
        return Outcome::Failed;
    }
    // Sizes from the archive's directory, before a byte is unpacked: an archive made to fill the
    // disk is refused, and so is one that would not fit.
    const qint64 size =
        std::find_if(entries.cbegin(), entries.cend(), [&](const backup::ZipEntry& e) { return e.name == name; })->size;
    if (size > kMaxDatabaseBytes) {
        fail(msg::backup::tooLarge(name, size, kMaxDatabaseBytes));
        return Outcome::Failed;
    }
    const QStorageInfo disk(archiveFolder);
    if (disk.isValid() && disk.bytesAvailable() >= 0 && disk.bytesAvailable() < size) {
        fail(msg::backup::noRoomToUnpack(archiveFolder, size));
        return Outcome::Failed;
    }

    // Nothing is replaced unasked: the archive's date tells an old copy from this morning's.
    if (m_askFirst) {
        const QDateTime made = QFileInfo(archive).lastModified();
        const QString replaced = targetOf(m_ctx.state).isServer() ? targetOf(m_ctx.state).where() : current;
        if (m_ctx.prompter.ask(msg::backup::restoreQuestion(archive, made, replaced, keepCopy, kKeptFolder)) !=
            Answer::Yes)
            return Outcome::NotConfirmed;
    }

    // A shared database is replaced only while nobody else holds it; holding it ourselves keeps
    // others out until the new file is in place. A missing or damaged current file is no reason
    // to refuse: that is when a restore is needed most.
    const DatabaseTarget target = targetOf(m_ctx.state);
    // What a restore that was cut short left beside the database (the old file under a second
    // name) goes first: on Windows a name of a file held open cannot be removed.
    const QString staged = current + QStringLiteral(".ripristino");
    const QString aside = current + QStringLiteral(".precedente");
    if (!target.isServer())
        QFile::remove(aside);
    Database hold;
    if (!hold.open(target, Database::Mode::StandAlone) && hold.lastOpenWasLocked()) {
        m_ctx.prompter.ask(msg::store::clientsConnected(msg::backup::text(msg::backup::Text::Title)));
        return Outcome::Failed;
    }
    if (target.isServer() && !hold.isOpen()) {
        fail(msg::backup::serverUnavailable(hold.lastError()));
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
    if (!QDir().mkpath(work) || !backup::extractEntry(archive, name, unpacked, size, &error)) {
        cleanWork();
        fail(msg::backup::cannotUnpack(error));
        return Outcome::Failed;
    }
    // An archive made by an earlier version is brought up to this one's here, on the unpacked
    // file (the archive stays its copy as it was); one made by a newer program is refused as
    // opening it would be.
    {
        Database proof;
        const bool opened = proof.open(QString(), unpacked, Database::Mode::StandAlone);
        const DbError e = proof.lastError();
        QString problem;
        if (!opened && e.code() == Database::kNewerSchema)
            problem = msg::backup::restoredDoesNotOpen(e);
        else if (!opened || !proof.integrityProblems().isEmpty())
            problem = msg::backup::notWhole(name);
        // As at an opening: a copy as it was (VELTRANORPX_versione<N>.db), then the upgrade, told.
        else if ((m_upgrade = upgradeSchema(proof, m_ctx.state.programFolder)).outcome ==
                 SchemaUpgrade::Outcome::Failed)
            problem = msg::backup::restoredDoesNotOpen(m_upgrade.error);
        if (!problem.isEmpty()) {
            proof.close();
            cleanWork();
            fail(problem);
            return Outcome::Failed;
        }
    }

    step(RestoreStep::Unpacked);
    if (target.isServer())
        return restoreIntoServer(hold, unpacked, keepCopy, archiveFolder, cleanWork, step);
    const bool hadCurrent = QFileInfo(current).isFile();
    if (keepCopy && hadCurrent) {
        const QString kept = QDir(archiveFolder).filePath(kKeptFolder);
        if (!QDir().mkpath(kept) || !copyDurably(current, QDir(kept).filePath(name))) {
            cleanWork();
            QDir().rmdir(kept); // made for the copy, and empty
            fail(msg::backup::cannotKeepCopy(kept));
            return Outcome::Failed;
        }
    }

    step(RestoreStep::CopyKept);
    // The new file is staged beside the database (same file system) and opened there, so that it
    // is proved to open and is held before it takes the database's place; the current one is kept
    // aside under a second name; one rename puts the new one in place while both are held, so no
    // program can open either in between and write into a file that is being replaced.
    if (!copyDurably(unpacked, staged)) {
        cleanWork();
        fail(msg::backup::cannotWriteBeside(QFileInfo(current).absolutePath()));
        return Outcome::Failed;
    }
    cleanWork();
    step(RestoreStep::Staged);
    Database fresh;
    if (!fresh.open(m_ctx.state.provider, staged, Database::Mode::StandAlone)) {
        const DbError e = fresh.lastError();
        QFile::remove(staged);
        fail(msg::backup::restoredDoesNotOpen(e));
        return Outcome::Failed;
    }
    if (hadCurrent && !linkFile(current, aside) && !copyDurably(current, aside)) {
        fresh.close();
        QFile::remove(staged);
        fail(msg::backup::text(msg::backup::Text::CannotSetAside));
        return Outcome::Failed;
    }
    step(RestoreStep::KeptAside);
    if (!openFilesCanBeReplaced()) {
        // Where an open file cannot be renamed over (Windows), both are let go first. A program
        // that opens the database in this moment makes the rename fail, the old file whole and in
        // place: nothing it writes can land in a file that is then replaced.
        fresh.close();
        hold.close();
    }
    if (!replaceFile(staged, current)) {
        fresh.close();
        QFile::remove(staged);
        QFile::remove(aside);
        fail(msg::backup::cannotReplace(current));
        return Outcome::Failed;
    }
    step(RestoreStep::Replaced);
    // The new file is held until here, the old one too when there was one.
    Q_ASSERT(fresh.isOpen() || !openFilesCanBeReplaced());
    hold.close();
    fresh.close();
    QFile::remove(aside);
    step(RestoreStep::Done);
    tellDone();
    return Outcome::Done;
}

DatabaseBackup::Outcome DatabaseBackup::restoreIntoServer(Database& hold, const QString& unpacked, bool keepCopy,
                                                          const QString& archiveFolder,
                                                          const std::function<void()>& cleanWork,
                                                          const std::function<void(RestoreStep)>& step)
{
    // On a server every table is replaced in one transaction while this connection holds the
    // database alone: other workstations are kept out until the new content is committed, and a
    // failure leaves the old content whole.
    if (keepCopy) {
        const QString kept = QDir(archiveFolder).filePath(kKeptFolder);
        DbError error;
        if (!QDir().mkpath(kept) || !hold.snapshotTo(QDir(kept).filePath(databaseName()), &error)) {
            cleanWork();
            QDir().rmdir(kept); // made for the copy, and empty
            fail(msg::backup::cannotKeepCopy(kept));
            return Outcome::Failed;
        }
    }
    step(RestoreStep::CopyKept);
    // The server's tables laid out as this version has them (they only gain tables), so that every
    // table of the archive, itself brought up to date, has its place.
    DbError error;
    bool replaced = hold.upgradeSchema();
    if (!replaced)
        error = hold.lastError();
    else
        replaced = hold.replaceAllFrom(unpacked, &error);
    cleanWork();
    if (!replaced) {
        fail(msg::backup::serverNotReplaced(error));
        return Outcome::Failed;
    }
    step(RestoreStep::Replaced);
    hold.close();
    step(RestoreStep::Done);
    tellDone();
    return Outcome::Done;
}

void DatabaseBackup::tellDone()
{
    qCInfo(vxBackup, "recupero eseguito");
    m_ctx.prompter.ask(msg::backup::notice(msg::backup::Notice::RestoreDone));
    if (m_upgrade.outcome == SchemaUpgrade::Outcome::Upgraded)
        m_ctx.prompter.ask(msg::backup::restoredUpgraded(m_upgrade.from, store::schemaVersion(), m_upgrade.copy));
}

} // namespace vx
