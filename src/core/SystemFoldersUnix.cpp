#include "core/SystemFolders.h"

#ifndef Q_OS_WIN

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace vx::systemfolders {

QString proposedInstallation()
{
    return QDir::home().filePath(QStringLiteral("VELTRANORPX"));
}

bool isSystemFolder(const QString& folder)
{
    static const QStringList under{QStringLiteral("/bin"),   QStringLiteral("/boot"), QStringLiteral("/dev"),
                                   QStringLiteral("/etc"),   QStringLiteral("/lib"),  QStringLiteral("/lib32"),
                                   QStringLiteral("/lib64"), QStringLiteral("/proc"), QStringLiteral("/run"),
                                   QStringLiteral("/sbin"),  QStringLiteral("/sys"),  QStringLiteral("/usr")};
    static const QStringList exactly{QStringLiteral("/"),    QStringLiteral("/home"), QStringLiteral("/media"),
                                     QStringLiteral("/mnt"), QStringLiteral("/opt"),  QStringLiteral("/root"),
                                     QStringLiteral("/srv"), QStringLiteral("/tmp"),  QStringLiteral("/var")};
    const QFileInfo info(folder);
    const QString path = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    if (exactly.contains(path))
        return true;
    return std::any_of(under.begin(), under.end(),
                       [&](const QString& root) { return path == root || path.startsWith(root + QLatin1Char('/')); });
}

} // namespace vx::systemfolders

#endif
