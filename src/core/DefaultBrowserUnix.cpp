#include "core/DefaultBrowser.h"

#ifndef Q_OS_WIN

namespace vx::defaultbrowser {

std::optional<Browser> fromSettings()
{
    return std::nullopt;
}

} // namespace vx::defaultbrowser

#endif
