#pragma once
// Small things many tests need: a file's bytes, a whole database as comparable text, and the
// person every test can store.

#include "roles/RolePerson.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace vx {
class Database;
struct DatabaseTarget;
} // namespace vx

namespace vx::test {

// The bytes of a file, or "<manca>" when it cannot be read.
QByteArray readFile(const QString& path);

// Every table, each as its rows' texts, sorted.
using Dump = QMap<QString, QStringList>;
Dump dumpOf(Database& db);
// The same through a read-only connection of its own (so that nothing uncommitted is seen); a
// database that cannot be opened gives one entry "<errore>" with the reason.
Dump dumpOf(const QString& path);
Dump dumpOf(const DatabaseTarget& target);

// ROSSI MARIO, born 10/12/1985, RSSMRA85T10A562S: a person that passes every check, with role 1 at
// operator A-12 itself, under Request `numDoma`.
RolePerson rossi(qint32 numDoma = 100);

} // namespace vx::test
