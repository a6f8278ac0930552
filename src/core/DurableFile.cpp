#include "core/DurableFile.h"

#include <QFileInfo>

namespace vx {

bool putInPlace(const QString& temporary, const QString& target, const std::function<void()>& beforeRename)
{
    if (!syncToDisk(temporary))
        return false;
    if (beforeRename)
        beforeRename();
    if (!replaceFile(temporary, target))
        return false;
    syncToDisk(QFileInfo(target).absolutePath(), true);
    return true;
}

} // namespace vx
