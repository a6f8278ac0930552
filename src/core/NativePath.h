#pragma once
// Paths as the C libraries the program uses want them. NativePathUnix.cpp and
// NativePathWindows.cpp are the two sides.

#include <QByteArray>
#include <QString>

namespace vx::nativepath {

// For SQLite, libzip and libxlsxwriter, which take UTF-8 on Windows (and widen it themselves) and
// the file system's bytes elsewhere.
QByteArray utf8(const QString& path);
// For a library that opens its files with the C library's fopen (FreeXL): on Windows the system
// code page, and a path that code page cannot spell by its short name.
QByteArray ansi(const QString& path);

} // namespace vx::nativepath
