#pragma once
// What backup and restore tell the user, and the captions of the backup screen.

#include "core/Prompter.h"

#include <QString>

class QDateTime;

namespace vx {
struct DbError;
}

namespace vx::msg::backup {

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // The backup screen's caption, the title of its refusals and of its operations' error trap.
    Title,
    CannotSetAside,
    ReplaceOption,
    ArchiveFilter,
    // The titles of the backup's file dialogs (and the tooltips of their "..." buttons).
    ChooseBackupArchive,
    ChooseRestoreArchive,
    // The backup screen: the archive to make, the archive to restore.
    BackupFileName,
    BackupFileLabel,
    BackupConfirmCaption,
    BackupTab,
    RestoreFileName,
    RestoreFileLabel,
    RestoreConfirmCaption,
    RestoreTab,
};
QString text(Text id);

Message chooseArchiveFirst();
Message chooseRestoreFirst();

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    BackupDone,
    RestoreDone,
};
Message notice(Notice id);

Message backupFailed(const QString& reason);
// Before a restore replaces the database: the archive, its date, what it replaces, and whether a
// copy of it is kept.
Message restoreQuestion(const QString& archive, const QDateTime& made, const QString& replaced, bool keepCopy,
                        const QString& keptFolder);
// The archive was of version `from`: upgraded to `to`, its content as it was kept in `copy`.
Message restoredUpgraded(int from, int to, const QString& copy);
Message restoreFailed(const QString& reason);

// The reasons of a failed backup or restore.
QString copyFailed(const DbError& error);
QString unreadableArchive(const QString& archive, const QString& reason);
QString entryIsAPath(const QString& entry);
QString otherEntries(const QString& database, const QStringList& others);
QString noDatabaseEntry(const QString& database);
QString tooLarge(const QString& database, qint64 size, qint64 limit);
QString noRoomToUnpack(const QString& folder, qint64 size);
QString cannotUnpack(const QString& reason);
QString notWhole(const QString& database);
QString cannotKeepCopy(const QString& folder);
QString cannotWriteBeside(const QString& folder);
QString cannotReplace(const QString& database);
// The restored file does not open: the database in use was left in its place.
QString restoredDoesNotOpen(const DbError& error);
// On a server: the database cannot be reached, or its tables could not be replaced (nothing was).
QString serverUnavailable(const DbError& error);
QString serverNotReplaced(const DbError& error);

// The zip library's failures, in Italian.
QString zipError(int code);
QString cannotWrite(const QString& path);

// The backup screen's option that keeps a copy of the replaced database.
QString keepCopyOption(const QString& folder);

} // namespace vx::msg::backup
