#pragma once
// Moving an installation's database between engines: a SQLite file into a database on a
// PostgreSQL server, or the other way. The database is held alone for the whole move (no
// workstation may write meanwhile), copied in one transaction, and every table's rows counted and
// summed on both sides; only when all agree is the INI pointed at the new place. The old database
// is left as it was, so a move that fails, or that the office regrets, changes nothing.

#include "store/Database.h"

#include <QString>

namespace vx {

struct AppState;
class IniFile;

class DatabaseMigration {
public:
    enum class Outcome { Moved, Refused, Failed };

    explicit DatabaseMigration(AppState& state) : m_state(state) {}

    // Moves the installation's database to `to` (a server's database that holds no rows of the
    // program's, or a SQLite file that does not exist yet) and rewrites `ini`.
    Outcome move(const DatabaseTarget& to, IniFile& ini);
    // Why the last move did not happen, in the user's words.
    QString problem() const { return m_problem; }
    // The tables' sums both sides agreed on (after Moved).
    const QMap<QString, Database::TableSum>& sums() const { return m_sums; }

private:
    Outcome refuse(const QString& why);
    Outcome fail(const QString& why);

    AppState& m_state;
    QString m_problem;
    QMap<QString, Database::TableSum> m_sums;
};

} // namespace vx
