#include "app/SchemaUpgrade.h"

#include "app/Messages.h"
#include "store/Schema.h"

namespace vx {

bool upgradeSchemaTelling(Database& db, const QString& folder, Prompter& prompter)
{
    const SchemaUpgrade upgrade = upgradeSchema(db, folder);
    if (upgrade.outcome == SchemaUpgrade::Outcome::Failed) {
        prompter.ask(msg::app::schemaUpgradeFailed(upgrade.error, upgrade.copy));
        return false;
    }
    if (upgrade.outcome == SchemaUpgrade::Outcome::Upgraded)
        prompter.ask(msg::app::schemaUpgraded(upgrade.from, store::schemaVersion(), upgrade.copy));
    return true;
}

} // namespace vx
