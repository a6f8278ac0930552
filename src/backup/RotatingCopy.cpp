#include "backup/RotatingCopy.h"

#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace vx {

namespace {
// The markers ("00?.lst" in any letter case) by copy number; an empty name where there is none.
struct Markers {
    QString name[4];
};

Markers findMarkers(const QString& programFolder)
{
    Markers found;
    const QStringList names =
        QDir(programFolder).entryList({QStringLiteral("00?.lst")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& n : names) {
        const int copy = n.mid(2, 1).toInt();
        if (copy >= 1 && copy <= 3 && found.name[copy].isEmpty())
            found.name[copy] = n;
    }
    return found;
}

int previous(int copy)
{
    return copy == 1 ? 3 : copy - 1;
}

// The copy the markers name as the newest, 0 for none. Two markers are left by a stop between
// writing the new one and removing the old: the newer follows the other in the cycle.
int newestCopy(const Markers& m)
{
    int only = 0;
    int count = 0;
    for (int copy = 1; copy <= 3; ++copy) {
        if (!m.name[copy].isEmpty()) {
            only = copy;
            ++count;
        }
    }
    if (count != 2)
        return only;
    for (int copy = 1; copy <= 3; ++copy) {
        if (!m.name[copy].isEmpty() && !m.name[previous(copy)].isEmpty())
            return copy;
    }
    return only;
}
} // namespace

int nextRotatingCopy(const QString& programFolder)
{
    const int newest = newestCopy(findMarkers(programFolder));
    return newest == 0 ? 1 : newest % 3 + 1;
}

bool makeRotatingCopy(const QString& programFolder, const DatabaseTarget& source,
                      const std::function<void(RotationStep)>& reached)
{
    auto step = [&](RotationStep s) {
        if (reached)
            reached(s);
    };
    step(RotationStep::Started);
    const Markers old = findMarkers(programFolder);
    const int copy = nextRotatingCopy(programFolder);
    if (!snapshotDatabase(source, programFolder + QStringLiteral("backup.00%1").arg(copy)))
        return false;
    step(RotationStep::CopyInPlace);

    const QString markerName = QStringLiteral("00%1.lst").arg(copy);
    QSaveFile marker(programFolder + markerName);
    if (!marker.open(QIODevice::WriteOnly))
        return false;
    marker.write("\"ultimo backup\"\r\n");
    if (!marker.commit())
        return false;
    step(RotationStep::MarkerWritten);

    for (const QString& name : old.name) {
        if (!name.isEmpty() && name != markerName)
            QFile::remove(programFolder + name);
    }
    step(RotationStep::Done);
    return true;
}

} // namespace vx
