#pragma once
// Files written so that a crash never leaves half of one: a new file is flushed to disk before
// one rename puts it in place of the old, and its folder is flushed after, so the path holds the
// old file or the whole new one, before and after a power cut alike. What the platforms do
// differently is in DurableFileUnix.cpp and DurableFileWindows.cpp.

#include <QString>

#include <functional>

namespace vx {

// The file (or folder) at `path` flushed to disk; false when it cannot be. A folder holds no data
// of its own on Windows: flushing one is true there.
bool syncToDisk(const QString& path, bool folder = false);
// `from` renamed over `to` in one step: `to` is the old file or the new one, never neither.
bool replaceFile(const QString& from, const QString& to);
// Whether a file held open, by this program too, can be renamed over and renamed: on Linux it can
// (the holders go on with the file they opened); on Windows SQLite opens its files so that neither
// can be done until they are closed.
bool openFilesCanBeReplaced();
// A second name for the file at `existing`; false where the file system has none (then copy).
bool linkFile(const QString& existing, const QString& link);
// A file made through a temporary one (its owner's alone) given the permissions a plain write
// gives: an export is for colleagues on a shared folder too.
void givePlainPermissions(const QString& path);
// `temporary`, written and closed, flushed and renamed over `target`, then the folder flushed.
// `beforeRename`, when given, runs between the two (the last moment the old file is whole and in
// place). False when the flush or the rename fails; the temporary file is then left to the caller.
bool putInPlace(const QString& temporary, const QString& target, const std::function<void()>& beforeRename = nullptr);

} // namespace vx
