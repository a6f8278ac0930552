// The hold on Windows: LockFileEx on the same byte ranges. Its locks are mandatory where Linux's
// are advisory, which changes nothing here: the bytes held lie past the data, or in a marker
// nobody reads. Files are opened sharing read, write and delete, as SQLite opens its own.
#include "core/HeldFile.h"

#ifdef Q_OS_WIN

#include <QDir>

#include <windows.h>

namespace vx {

namespace {
HANDLE handleOf(qintptr h)
{
    return reinterpret_cast<HANDLE>(h);
}

OVERLAPPED at(qint64 offset)
{
    OVERLAPPED where = {};
    where.Offset = DWORD(quint64(offset) & 0xffffffffu);
    where.OffsetHigh = DWORD(quint64(offset) >> 32);
    return where;
}

HANDLE openShared(const QString& path, DWORD access, DWORD disposition, DWORD flags = FILE_ATTRIBUTE_NORMAL)
{
    return ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition, flags, nullptr);
}
} // namespace

bool HeldFile::open(const QString& path, Access access)
{
    close();
    const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const HANDLE h = openShared(path, rights, access == Access::ReadWriteCreate ? OPEN_ALWAYS : OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD why = ::GetLastError();
        m_failure = access != Access::Read && (why == ERROR_ACCESS_DENIED || why == ERROR_WRITE_PROTECT)
                        ? OpenFailure::Denied
                        : OpenFailure::CannotOpen;
        return false;
    }
    m_handle = reinterpret_cast<qintptr>(h);
    m_failure = OpenFailure::None;
    return true;
}

bool HeldFile::isOpen() const
{
    return m_handle != -1;
}

void HeldFile::close()
{
    if (m_handle != -1)
        ::CloseHandle(handleOf(m_handle)); // the locks go with the handle
    m_handle = -1;
}

QByteArray HeldFile::readAt(qint64 offset, qint64 size) const
{
    QByteArray data(size, Qt::Uninitialized);
    OVERLAPPED where = at(offset);
    DWORD n = 0;
    if (m_handle == -1 || !::ReadFile(handleOf(m_handle), data.data(), DWORD(size), &n, &where))
        n = 0;
    data.resize(qsizetype(n));
    return data;
}

HeldFile::Lock HeldFile::tryLockRange(qint64 offset, qint64 length, bool exclusive)
{
    OVERLAPPED where = at(offset);
    const DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (::LockFileEx(handleOf(m_handle), flags, 0, DWORD(quint64(length) & 0xffffffffu), DWORD(quint64(length) >> 32),
                     &where))
        return Lock::Taken;
    const DWORD why = ::GetLastError();
    return why == ERROR_LOCK_VIOLATION || why == ERROR_IO_PENDING ? Lock::HeldElsewhere : Lock::Unsupported;
}

bool HeldFile::lockWhole(bool wait)
{
    OVERLAPPED where = at(0);
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return ::LockFileEx(handleOf(m_handle), flags, 0, MAXDWORD, MAXDWORD, &where);
}

bool HeldFile::isFileAt(const QString& path) const
{
    if (m_handle == -1)
        return false;
    const HANDLE named = openShared(path, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (named == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    const bool same = ::GetFileInformationByHandle(handleOf(m_handle), &a) && ::GetFileInformationByHandle(named, &b) &&
                      a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                      a.nFileIndexLow == b.nFileIndexLow;
    ::CloseHandle(named);
    return same;
}

} // namespace vx

#endif
