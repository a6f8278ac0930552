// A path's bytes on Linux are the file system's, whatever the library.
#include "core/NativePath.h"

#ifndef Q_OS_WIN

#include <QFile>

namespace vx::nativepath {

QByteArray utf8(const QString& path)
{
    return QFile::encodeName(path);
}

QByteArray ansi(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace vx::nativepath

#endif
