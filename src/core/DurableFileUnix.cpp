// Durable files on Linux: fsync of the file and of its folder, rename(2) and link(2).
#include "core/DurableFile.h"

#ifndef Q_OS_WIN

#include <QFile>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
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

bool replaceFile(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool openFilesCanBeReplaced()
{
    return true;
}

bool linkFile(const QString& existing, const QString& link)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0;
}

void givePlainPermissions(const QString& path)
{
    // All may read and write, less the umask (which can only be read by setting it).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

} // namespace vx

#endif
