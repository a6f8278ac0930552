#pragma once
// Backup and restore of the database, as the backup screen runs them.
//
// A backup packs a consistent snapshot of the database (SQLite's online backup, so another
// workstation may go on writing) into a zip archive, written under a temporary name: the archive
// the user had is replaced only by a whole new one.
//
// A restore never leaves the user without a database: the archive must hold exactly one entry,
// the database under its own file name; that entry is unpacked into the work folder and proved
// (SQLite, integrity check, the program's tables) before anything is replaced; the current file
// is kept aside until the restored one is open, and put back if anything fails. At any moment the
// database path holds either the old file or the whole new one. A shared database is restored
// only while no other workstation holds it.

#include "core/Context.h"
#include "core/Prompter.h"
#include "store/SchemaUpgrade.h"

#include <QString>

#include <functional>

namespace vx {

class Database;

class DatabaseBackup {
public:
    static inline const QString kDefaultArchive = QStringLiteral("VELTRANORPX.zip");
    static inline const QString kWorkFolder = QStringLiteral("DBUnzip");
    static inline const QString kKeptFolder = QStringLiteral("BackupDB");
    // The largest database a restore unpacks: far beyond any agency's (a few tens of MB), and
    // short of what an archive made to fill the disk would unpack to.
    static constexpr qint64 kMaxDatabaseBytes = qint64(2) << 30;

    enum class Outcome { Done, Failed, ChooseFile, NotConfirmed };
    // The steps of a backup, told as each is reached (tests stop the process there): the copy of
    // the database taken, and the new archive whole beside the old one, about to take its place.
    enum class BackupStep { Copied, Packed };
    // The steps of a restore, told as each is reached (tests stop the process there).
    enum class RestoreStep { Checked, Unpacked, CopyKept, Staged, KeptAside, Replaced, Done };

    explicit DatabaseBackup(Context& context) : m_ctx(context) {}

    // The screen keeps the shared connection closed while it is open, so that the file is free;
    // closing it reopens the connection as it was (a failure there runs the error trap).
    void releaseDatabase();
    bool reopenDatabase();
    // The shared connection opened again as the installation opens it, under the error trap of
    // `operation`; false when the user gave up (the program then ends).
    static bool reopen(Context& context, const QString& operation);

    // The archive of a backup typed as `text`: the file name up to its last "." and ".zip".
    static QString archivePathFor(const QString& text);
    // The archive the screen starts from (the last one made), and the file dialogs' choices.
    QString lastArchive() const;
    FileChoice saveChoice(const QString& current) const;
    FileChoice openChoice(const QString& backupText) const;

    // The backup of `archiveText`; tells the user how it went. ChooseFile: nothing typed yet.
    Outcome backup(const QString& archiveText, const std::function<void(BackupStep)>& reached = nullptr);
    // Whether a restore asks first, naming the archive, its date and the database it replaces (the
    // screen's does; a command typed at the command line is its own confirmation).
    void setAskFirst(bool ask) { m_askFirst = ask; }
    // The restore of `archive`; `keepCopy` keeps the current database in BackupDB first.
    Outcome restore(const QString& archive, bool keepCopy, const std::function<void(RestoreStep)>& reached = nullptr);

    // The copy of the database in use packed into `archive` (used by the assistance request), with
    // `alongside` beside it under their file names.
    bool packSnapshot(const QString& archive, QString* error, const std::function<void(BackupStep)>& reached = nullptr,
                      const QStringList& alongside = {});

private:
    void fail(const QString& reason);
    QString databaseName() const;
    Outcome restoreIntoServer(Database& hold, const QString& unpacked, bool keepCopy, const QString& archiveFolder,
                              const std::function<void()>& cleanWork, const std::function<void(RestoreStep)>& step);
    // The restore is told done; and, when the archive was of an earlier version, its upgrade.
    void tellDone();

    Context& m_ctx;
    bool m_askFirst = false;
    SchemaUpgrade m_upgrade; // of the archive being restored
};

} // namespace vx
