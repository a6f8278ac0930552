#include "core/RuntimeFolder.h"

#ifdef Q_OS_WIN

namespace vx {

RuntimeFolder::RuntimeFolder() = default;

void RuntimeFolder::remove() {}

} // namespace vx

#endif
