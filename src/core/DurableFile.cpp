#include "core/DurableFile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace vx {

bool syncToDisk(const QString& path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool putInPlace(const QString& temporary, const QString& target, const std::function<void()>& beforeRename)
{
    if (!syncToDisk(temporary))
        return false;
    if (beforeRename)
        beforeRename();
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        return false;
    syncToDisk(QFileInfo(target).absolutePath(), true);
    return true;
}

} // namespace vx
