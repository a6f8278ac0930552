#pragma once
// A database laid out by an earlier version of the program, brought up to this one's: first a copy
// of it as it was (a SQLite file in the installation's folder, whatever the engine, named for its
// version, never over an earlier copy), then every step in one transaction, so that a failure
// leaves the database as it was. Opening an installation and restoring an archive both do it.

#include "store/Database.h"

#include <QString>

namespace vx {

struct SchemaUpgrade {
    enum class Outcome { Current, Upgraded, Failed };
    Outcome outcome = Outcome::Current;
    int from = 0;
    QString copy; // the copy made before the upgrade, when one was made
    DbError error;
};

// The database open on `db` brought up to date, its copy written in `folder`. Needs write access.
SchemaUpgrade upgradeSchema(Database& db, const QString& folder);

} // namespace vx
