#include "store/SchemaUpgrade.h"

#include "store/Schema.h"

#include <QDir>
#include <QFileInfo>

namespace vx {

SchemaUpgrade upgradeSchema(Database& db, const QString& folder)
{
    SchemaUpgrade result;
    const std::optional<int> version = db.schemaVersion();
    if (!version) {
        result.outcome = SchemaUpgrade::Outcome::Failed;
        result.error = db.lastError();
        return result;
    }
    result.from = *version;
    if (*version >= store::schemaVersion())
        return result;
    // A copy left by an earlier attempt is kept: the next free name is taken.
    const QDir dir(folder);
    QString copy = dir.filePath(QStringLiteral("VELTRANORPX_versione%1.db").arg(*version));
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = dir.filePath(QStringLiteral("VELTRANORPX_versione%1-%2.db").arg(*version).arg(n));
    if (!db.snapshotTo(copy, &result.error)) {
        result.outcome = SchemaUpgrade::Outcome::Failed;
        return result;
    }
    result.copy = copy;
    if (!db.upgradeSchema()) {
        result.outcome = SchemaUpgrade::Outcome::Failed;
        result.error = db.lastError();
        return result;
    }
    result.outcome = SchemaUpgrade::Outcome::Upgraded;
    return result;
}

} // namespace vx
