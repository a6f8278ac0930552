// Durable files on Windows: FlushFileBuffers, a rename replacing with write-through (which also
// carries the rename to the disk, so a folder has nothing left to flush), CreateHardLinkW.
// A file held open is not renamed over: the rename fails and the old file stays whole.
#include "core/DurableFile.h"

#ifdef Q_OS_WIN

#include <QDir>

#include <windows.h>

namespace vx {

namespace {
const wchar_t* native(const QString& path)
{
    return reinterpret_cast<const wchar_t*>(path.utf16());
}
} // namespace

bool syncToDisk(const QString& path, bool folder)
{
    if (folder)
        return true;
    const QString name = QDir::toNativeSeparators(path);
    const HANDLE h = ::CreateFileW(native(name), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = ::FlushFileBuffers(h);
    ::CloseHandle(h);
    return ok;
}

bool replaceFile(const QString& from, const QString& to)
{
    const QString a = QDir::toNativeSeparators(from);
    const QString b = QDir::toNativeSeparators(to);
    return ::MoveFileExW(native(a), native(b), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool openFilesCanBeReplaced()
{
    return false;
}

bool linkFile(const QString& existing, const QString& link)
{
    const QString a = QDir::toNativeSeparators(existing);
    const QString b = QDir::toNativeSeparators(link);
    return ::CreateHardLinkW(native(b), native(a), nullptr);
}

void givePlainPermissions(const QString&)
{
    // A new file takes its folder's permissions: a shared folder's are the colleagues' already.
}

} // namespace vx

#endif
