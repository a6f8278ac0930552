#pragma once
// A file kept open to be held: a lock on a byte range that another process of ours sees and
// respects, taken without waiting or waited for, and kept until the file is closed. The database's
// hold (one byte far past the data) and a backup's marker (the whole file) are built on it.
// HeldFileUnix.cpp and HeldFileWindows.cpp are its two sides: OFD locks (flock for a whole file)
// on Linux, LockFileEx on Windows.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace vx {

class HeldFile {
public:
    enum class Access { Read, ReadWrite, ReadWriteCreate };
    enum class OpenFailure { None, Denied, CannotOpen };
    enum class Lock { Taken, HeldElsewhere, Unsupported };

    HeldFile() = default;
    ~HeldFile() { close(); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Opens `path` (made if missing with ReadWriteCreate, for its owner alone), sharing it with
    // every other reader, writer and rename. Denied: the file or its medium refuses writing.
    bool open(const QString& path, Access access);
    OpenFailure openFailure() const { return m_failure; }
    bool isOpen() const;
    void close();

    // Up to `size` bytes from `offset`, without moving anything another reader relies on.
    QByteArray readAt(qint64 offset, qint64 size) const;
    // A lock on the bytes [offset, offset + length), shared or exclusive, taken now or never.
    // Unsupported: the file system has no such locks (an old kernel, some shares).
    Lock tryLockRange(qint64 offset, qint64 length, bool exclusive);
    // The whole file locked exclusively; waits for another holder when `wait`.
    bool lockWhole(bool wait);
    // True while this is still the file at `path` (a rename may have put another in its place).
    bool isFileAt(const QString& path) const;

private:
    qintptr m_handle = -1;
    OpenFailure m_failure = OpenFailure::None;
};

} // namespace vx
