#include "core/StandardStreams.h"

#include <QtGlobal>

#ifndef Q_OS_WIN

namespace vx::standardstreams {

void prepare()
{
    // Bytes pass through as written.
}

} // namespace vx::standardstreams

#endif
