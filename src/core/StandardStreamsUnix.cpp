#include "core/StandardStreams.h"

#include <QByteArray>
#include <QtGlobal>

#ifndef Q_OS_WIN

namespace vx::standardstreams {

void prepare()
{
    // Bytes pass through as written.
}

void chooseDrawingPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
}

} // namespace vx::standardstreams

#endif
