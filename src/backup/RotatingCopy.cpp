#include "backup/RotatingCopy.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace vx {

namespace {
// The marker's name ("00?.lst" in any letter case), or an empty text when there is none.
QString findMarker(const QString& programFolder)
{
    const QStringList found =
        QDir(programFolder).entryList({QStringLiteral("00?.lst")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    return found.isEmpty() ? QString() : found.first();
}

QString markerName(int copy)
{
    return QStringLiteral("00%1.lst").arg(copy);
}
} // namespace

int nextRotatingCopy(const QString& programFolder)
{
    const QString marker = findMarker(programFolder).toUpper();
    if (marker == QLatin1String("001.LST"))
        return 2;
    if (marker == QLatin1String("002.LST"))
        return 3;
    return 1;
}

bool makeRotatingCopy(const QString& programFolder, const QString& databasePath)
{
    const QString oldMarker = findMarker(programFolder);
    const int copy = nextRotatingCopy(programFolder);
    const QString target = programFolder + QStringLiteral("backup.00%1").arg(copy);
    QFile source(databasePath);
    QSaveFile copyFile(target);
    if (databasePath.isEmpty() || !source.open(QIODevice::ReadOnly) || !copyFile.open(QIODevice::WriteOnly))
        return false;
    QByteArray chunk;
    while (!(chunk = source.read(1 << 20)).isEmpty()) {
        if (copyFile.write(chunk) != chunk.size())
            return false;
    }
    if (source.error() != QFileDevice::NoError || !copyFile.commit())
        return false;

    if (!oldMarker.isEmpty())
        QFile::remove(programFolder + oldMarker);
    QSaveFile marker(programFolder + markerName(copy));
    if (!marker.open(QIODevice::WriteOnly))
        return false;
    marker.write("\"ultimo backup\"\r\n");
    return marker.commit();
}

} // namespace vx
