#include "core/SystemMemory.h"

#ifndef Q_OS_WIN

#include <QFile>
#include <QList>

namespace vx::systemmemory {

Memory current()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    qint64 total = 0, available = 0, swapTotal = 0, swapFree = 0;
    if (meminfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : meminfo.readAll().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() < 2)
                continue;
            const qint64 bytes = parts.at(1).toLongLong() * 1024;
            if (parts.first() == "MemTotal:")
                total = bytes;
            else if (parts.first() == "MemAvailable:")
                available = bytes;
            else if (parts.first() == "SwapTotal:")
                swapTotal = bytes;
            else if (parts.first() == "SwapFree:")
                swapFree = bytes;
        }
    }
    // Virtual memory as Linux offers it: the RAM and the swap space together.
    return {total, available, total + swapTotal, available + swapFree};
}

} // namespace vx::systemmemory

#endif
