// The hold on Linux: open file description locks, which belong to this open file and not to the
// process (SQLite's own POSIX locks in the same process never release them), and flock for a
// whole file.
#include "core/HeldFile.h"

#ifndef Q_OS_WIN

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

bool HeldFile::open(const QString& path, Access access)
{
    close();
    const int flags = access == Access::Read ? O_RDONLY : access == Access::ReadWrite ? O_RDWR : O_RDWR | O_CREAT;
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int why = errno;
        m_failure = access != Access::Read && (why == EACCES || why == EROFS || why == EPERM) ? OpenFailure::Denied
                                                                                              : OpenFailure::CannotOpen;
        return false;
    }
    m_handle = fd;
    m_failure = OpenFailure::None;
    return true;
}

bool HeldFile::isOpen() const
{
    return m_handle >= 0;
}

void HeldFile::close()
{
    if (m_handle >= 0)
        ::close(int(m_handle));
    m_handle = -1;
}

QByteArray HeldFile::readAt(qint64 offset, qint64 size) const
{
    QByteArray data(size, Qt::Uninitialized);
    const ssize_t n = m_handle >= 0 ? ::pread(int(m_handle), data.data(), size_t(size), off_t(offset)) : -1;
    data.resize(n > 0 ? n : 0);
    return data;
}

HeldFile::Lock HeldFile::tryLockRange(qint64 offset, qint64 length, bool exclusive)
{
    struct flock lock = {};
    lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(offset);
    lock.l_len = off_t(length);
    if (::fcntl(int(m_handle), F_OFD_SETLK, &lock) == 0)
        return Lock::Taken;
    return errno == EAGAIN || errno == EACCES ? Lock::HeldElsewhere : Lock::Unsupported;
}

bool HeldFile::lockWhole(bool wait)
{
    int result;
    do
        result = ::flock(int(m_handle), LOCK_EX | (wait ? 0 : LOCK_NB));
    while (result != 0 && errno == EINTR);
    return result == 0;
}

bool HeldFile::isFileAt(const QString& path) const
{
    struct stat held = {};
    struct stat named = {};
    return m_handle >= 0 && ::fstat(int(m_handle), &held) == 0 &&
           ::stat(QFile::encodeName(path).constData(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

} // namespace vx

#endif
