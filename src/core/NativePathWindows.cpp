// Paths on Windows: UTF-8 for the libraries that widen it, the system code page for fopen.
#include "core/NativePath.h"

#ifdef Q_OS_WIN

#include <QDir>

#include <windows.h>

namespace vx::nativepath {

QByteArray utf8(const QString& path)
{
    return QDir::toNativeSeparators(path).toUtf8();
}

QByteArray ansi(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    const QByteArray local = native.toLocal8Bit();
    if (QString::fromLocal8Bit(local) == native)
        return local;
    // A name the code page cannot spell (an accent of another alphabet): its short form is plain.
    wchar_t shortName[MAX_PATH * 2];
    const DWORD n =
        ::GetShortPathNameW(reinterpret_cast<const wchar_t*>(native.utf16()), shortName, DWORD(std::size(shortName)));
    if (n == 0 || n >= std::size(shortName))
        return local;
    return QString::fromWCharArray(shortName, int(n)).toLocal8Bit();
}

} // namespace vx::nativepath

#endif
