#pragma once
// Files written so that a crash never leaves half of one: a new file is flushed to disk before
// one rename puts it in place of the old, and its folder is flushed after, so the path holds the
// old file or the whole new one, before and after a power cut alike.

#include <QString>

#include <functional>

namespace vx {

// The file (or folder) at `path` flushed to disk; false when it cannot be.
bool syncToDisk(const QString& path, bool folder = false);
// `temporary`, written and closed, flushed and renamed over `target`, then the folder flushed.
// `beforeRename`, when given, runs between the two (the last moment the old file is whole and in
// place). False when the flush or the rename fails; the temporary file is then left to the caller.
bool putInPlace(const QString& temporary, const QString& target, const std::function<void()>& beforeRename = nullptr);

} // namespace vx
