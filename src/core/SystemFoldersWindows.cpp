#include "core/SystemFolders.h"

#ifdef Q_OS_WIN

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>

namespace vx::systemfolders {

QString proposedInstallation()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
        .filePath(QStringLiteral("VELTRANORPX"));
}

bool isSystemFolder(const QString& folder)
{
    // Windows and the programs' folders (this program's among them, read-only for its users),
    // and a drive's or a share's root. Compared without regard to case, as Windows names files.
    QStringList under;
    for (const char* variable : {"SystemRoot", "ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "ProgramData"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            under << QDir::cleanPath(QDir::fromNativeSeparators(value));
    }
    const QFileInfo info(folder);
    const QString path = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(info.absoluteFilePath());
    if (QDir(path).isRoot())
        return true;
    return std::any_of(under.begin(), under.end(), [&](const QString& root) {
        return path.compare(root, Qt::CaseInsensitive) == 0 ||
               path.startsWith(root + QLatin1Char('/'), Qt::CaseInsensitive);
    });
}

} // namespace vx::systemfolders

#endif
