#pragma once
// The machine's memory as the assistance request describes it: the RAM, and the virtual memory
// the system can commit (RAM and swap on Linux, RAM and page file on Windows). In bytes; 0 where
// the system does not tell. SystemMemoryUnix.cpp and SystemMemoryWindows.cpp are the two sides.

#include <QtGlobal>

namespace vx::systemmemory {

struct Memory {
    qint64 totalRam = 0;
    qint64 availableRam = 0;
    qint64 totalVirtual = 0;
    qint64 availableVirtual = 0;
};

Memory current();

} // namespace vx::systemmemory
