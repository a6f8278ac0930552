#pragma once
// What differs between the two engines a connection runs on, SQLite's file and a PostgreSQL
// server. Database is the connection: it opens, runs statements (with the fault injection and
// the renewal of a lost session), keeps transactions and the schema's version, the same on both;
// it asks its engine for the rest. One engine per connection, chosen by the target at each open
// and kept after a close (a closed connection answers as its last engine did).

#include "store/Database.h"

struct sqlite3;

namespace vx {

class DatabaseEngine {
public:
    virtual ~DatabaseEngine() = default;
    DatabaseEngine(const DatabaseEngine&) = delete;
    DatabaseEngine& operator=(const DatabaseEngine&) = delete;

    // Opens the connection the Database names, on its target (the engine's half of open()).
    virtual bool open(Database::Access access) = 0;
    // The connection is about to close; `open` is its connection when it is open.
    virtual void closing(QSqlDatabase* open) { (void)open; }

    // Before a statement: the session kept, renewed (a server restarted since the last one), or lost.
    enum class Session { Kept, Renewed, Lost };
    virtual Session keepSession() { return Session::Kept; }
    // Whether a statement that failed on a lost session may run again on a new one.
    virtual bool mayRenewSession() const { return false; }
    // Whether a statement without values is prepared too (a server runs it as it is).
    virtual bool preparesEveryStatement() const { return true; }
    // The error of a failed statement, as the engine tells it.
    virtual DbError errorOf(const QSqlError& error) const { return DbError::from(error); }

    // The statement that lists the program's tables by name.
    virtual QString tablesQuery() const = 0;
    virtual QString integrityProblems() = 0;
    virtual bool inTransaction() const = 0;
    // Starts a write transaction (after the writers before it); writeEnded() when it is over.
    virtual bool beginWrite() = 0;
    virtual void writeEnded() {}

    // Whole-database work (Database's functions of the same names).
    virtual bool copyTo(const QString& target, DbError* error) = 0;
    virtual bool snapshotTo(const QString& file, DbError* error) = 0;
    virtual bool replaceAllFrom(const QString& file, DbError* error) = 0;
    virtual bool createSchema() = 0;

    // SQLite's own handle when the connection is an open SQLite one, else null.
    virtual sqlite3* sqliteHandle() const { return nullptr; }

protected:
    explicit DatabaseEngine(Database& db) : m_db(db) {}
    Database& m_db;
};

// Sets `error` (when given) and returns false.
bool reportDbError(DbError* error, const DbError& e);

} // namespace vx
