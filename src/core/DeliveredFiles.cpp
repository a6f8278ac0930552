#include "core/DeliveredFiles.h"

#include "core/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vx {

QString packageFolderOf(const QString& programDir)
{
    const QDir folder(QDir(programDir).filePath(QStringLiteral("../share/veltranorpx")));
    return folder.exists(IniFile::kDefaultName) ? folder.absolutePath() + QLatin1Char('/') : QString();
}

QString packageFolder()
{
    static const QString folder = packageFolderOf(QCoreApplication::applicationDirPath());
    return folder;
}

QString deliveredFile(const QString& installationFolder, const QString& name)
{
    const QString own = QDir(installationFolder).filePath(name);
    if (QFileInfo::exists(own))
        return own;
    const QString package = packageFolder();
    if (!package.isEmpty() && QFileInfo::exists(package + name))
        return package + name;
    return own;
}

} // namespace vx
