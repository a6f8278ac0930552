#include "core/SystemMemory.h"

#ifdef Q_OS_WIN

#include <windows.h>

namespace vx::systemmemory {

Memory current()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status))
        return {};
    // Virtual memory as Windows commits it: the RAM and the page file together.
    return {qint64(status.ullTotalPhys), qint64(status.ullAvailPhys), qint64(status.ullTotalPageFile),
            qint64(status.ullAvailPageFile)};
}

} // namespace vx::systemmemory

#endif
