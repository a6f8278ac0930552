#include "core/StandardStreams.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace vx::standardstreams {

void prepare()
{
    // The C library would turn every line feed into CR LF: the lines stay as the program writes them.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // A console shows its code page; the program writes UTF-8.
    DWORD mode = 0;
    if (::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) ||
        ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode))
        ::SetConsoleOutputCP(CP_UTF8);
}

void chooseDrawingPlatform()
{
    // Windows' own platform, as the desktop program's.
}

} // namespace vx::standardstreams

#endif
