#pragma once
// The layout of an empty database of this program, as data/schema.sql writes it for SQLite, and
// the same for a PostgreSQL server: there types keep their meaning (a REAL stays a double, a BLOB
// bytes) and text compares and sorts byte by byte, as SQLite does, so that both engines give the
// same rows in the same order.

#include <QString>
#include <QStringList>

namespace vx::schema {

// The statements, one per element, that lay out the tables and views on `driver`'s engine (no
// BEGIN or COMMIT: the caller runs them in one transaction).
QStringList statements(const QString& driver);
// The tables, by name, in the order the schema creates them.
QStringList tables();

} // namespace vx::schema
