#pragma once
// The layout of an empty database of this program, as data/schema.sql writes it for SQLite, and
// the same for a PostgreSQL server: there types keep their meaning (a REAL stays a double, a BLOB
// bytes) and text compares and sorts byte by byte, as SQLite does, so that both engines give the
// same rows in the same order.

#include <QString>
#include <QStringList>

namespace vx::store {

// The statements, one per element, that lay out the tables and views on `driver`'s engine (no
// BEGIN or COMMIT: the caller runs them in one transaction), with the version's row unless
// `layoutOnly` (a copy that takes its rows from another database).
QStringList schemaStatements(const QString& driver, bool layoutOnly = false);
// The statements of another SQLite script of the same form (an earlier version's layout), for
// `driver`'s engine as above.
QStringList statementsOf(const QString& script, const QString& driver);
// The layout's version, as the schema records it in `VersioneSchema`.
int schemaVersion();
// The statements that bring a database of an earlier version up to this one on `driver`'s engine,
// run in one transaction. Every version so far only added tables and an index, so each is created
// where it is missing and the version's row is written anew; a later change to an existing table
// adds its own step here.
QStringList upgradeStatements(const QString& driver);
// The tables, by name, in the order the schema creates them.
QStringList schemaTables();

} // namespace vx::store
