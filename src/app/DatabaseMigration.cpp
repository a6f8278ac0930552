#include "app/DatabaseMigration.h"
#include "app/SchemaUpgrade.h"

#include "app/Messages.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "store/ErrorAdvice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace vx {

DatabaseMigration::Outcome DatabaseMigration::refuse(const QString& why)
{
    m_problem = why;
    return Outcome::Refused;
}

DatabaseMigration::Outcome DatabaseMigration::fail(const QString& why)
{
    m_problem = why;
    return Outcome::Failed;
}

DatabaseMigration::Outcome DatabaseMigration::move(const DatabaseTarget& to, IniFile& ini)
{
    m_problem.clear();
    m_sums.clear();
    const DatabaseTarget from = targetOf(m_state);
    if (from.isServer() == to.isServer())
        return refuse(msg::app::text(msg::app::Text::MigrationSameEngine));

    // The source alone: no other workstation writes while its rows are copied.
    Database source;
    if (!source.open(from, Database::Mode::StandAlone))
        return refuse(msg::app::migrationSourceBusy(errorLines(source.lastError())));
    // Moved as this version lays it out: one of an earlier version is brought up to date first.
    const SchemaUpgrade upgrade = upgradeSchema(source, m_state.programFolder);
    if (upgrade.outcome == SchemaUpgrade::Outcome::Failed)
        return fail(errorLines(upgrade.error));
    const auto before = source.tableSums();
    if (!before)
        return fail(errorLines(source.lastError()));

    Database target;
    // A move cut short after its copy was made (the program killed before the settings were
    // written) left a whole copy of these very rows: it is recognised by the sums and finished.
    bool copied = false;
    if (to.isServer()) {
        // A server's database: empty (its tables laid out here) or holding the tables with no rows.
        if (!target.open(to, Database::Mode::StandAlone)) {
            if (target.lastError().code() != Database::kNoTables || !target.createSchema())
                return refuse(msg::app::migrationTargetUnusable(errorLines(target.lastError())));
        } else {
            const auto present = target.tableSums();
            if (!present)
                return fail(errorLines(target.lastError()));
            copied = *present == *before;
            // The layout's version row is there from the moment the tables were laid out.
            for (auto table = present->cbegin(); !copied && table != present->cend(); ++table) {
                if (table->rows != 0 && table.key().compare(QLatin1String("VersioneSchema"), Qt::CaseInsensitive) != 0)
                    return refuse(msg::app::migrationTargetNotEmpty(to.where()));
            }
        }
        // The file as one snapshot, then every table of the server replaced in one transaction.
        QTemporaryDir work;
        const QString snapshot = work.filePath(Settings::kDatabaseFileName);
        DbError error;
        if (!copied &&
            (!work.isValid() || !source.snapshotTo(snapshot, &error) || !target.replaceAllFrom(snapshot, &error)))
            return fail(errorLines(error));
    } else {
        if (QFileInfo::exists(to.path)) {
            Database earlier;
            const bool same = earlier.open(to, Database::Mode::StandAlone, Database::Access::ReadOnly) &&
                              earlier.tableSums() == before;
            earlier.close();
            if (!same)
                return refuse(msg::app::migrationFileExists(to.path));
            copied = true;
        }
        DbError error;
        if (!copied && !source.snapshotTo(to.path, &error))
            return fail(errorLines(error));
        if (!target.open(to, Database::Mode::StandAlone)) {
            if (!copied)
                QFile::remove(to.path);
            return fail(errorLines(target.lastError()));
        }
    }

    const auto after = target.tableSums();
    if (!after || *after != *before) {
        if (!to.isServer() && !copied) {
            target.close();
            QFile::remove(to.path);
        }
        return fail(after ? msg::app::text(msg::app::Text::MigrationSumsDiffer) : errorLines(target.lastError()));
    }
    m_sums = *after;

    // Only now does the installation point at the new place.
    if (to.isServer()) {
        Settings::writeServer(ini, to.host, to.port, to.name, to.tlsMode, to.caFile);
    } else {
        Settings::writeInstallation(ini, m_state.installationType, to.path, QFileInfo(to.path).fileName());
        Settings::writeProvider(ini, Settings::kProvider);
    }
    return Outcome::Moved;
}

} // namespace vx
