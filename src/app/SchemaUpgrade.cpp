#include "app/SchemaUpgrade.h"

#include "app/Messages.h"
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
    if (*version >= schema::version())
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

bool upgradeSchemaTelling(Database& db, const QString& folder, Prompter& prompter)
{
    const SchemaUpgrade upgrade = upgradeSchema(db, folder);
    if (upgrade.outcome == SchemaUpgrade::Outcome::Failed) {
        prompter.ask(msg::app::schemaUpgradeFailed(upgrade.error, upgrade.copy));
        return false;
    }
    if (upgrade.outcome == SchemaUpgrade::Outcome::Upgraded)
        prompter.ask(msg::app::schemaUpgraded(upgrade.from, schema::version(), upgrade.copy));
    return true;
}

} // namespace vx
