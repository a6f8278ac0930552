#include "core/RuntimeFolder.h"

#ifndef Q_OS_WIN

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <unistd.h>

namespace vx {

RuntimeFolder::RuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    // mkdtemp makes it with mode 0700, as a runtime folder must be. A QTemporaryDir would seed
    // Qt's random generator for the name: on a virtual machine that alone costs half a
    // millisecond of every start.
    QByteArray path = QFile::encodeName(QDir::tempPath()) + "/veltranorpx-XXXXXX";
    if (::mkdtemp(path.data()) == nullptr)
        return;
    m_path = QFile::decodeName(path);
    qputenv("XDG_RUNTIME_DIR", path);
}

void RuntimeFolder::remove()
{
    if (m_path.isEmpty())
        return;
    // Empty as a rule: one call. Whatever a library left in it goes with it.
    if (::rmdir(QFile::encodeName(m_path).constData()) != 0)
        QDir(m_path).removeRecursively();
    m_path.clear();
}

} // namespace vx

#endif
