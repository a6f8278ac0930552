#pragma once
// The PostgreSQL server engine, and the snapshot of a server's database into a SQLite file and
// the replacement of every table from one.
//
// Invariants: a connection to a server always holds the program's advisory lock for its session
// (shared, or exclusive for StandAlone), taken before anything is read; write transactions take
// the writers' lock first, so that they run one after the other as on a SQLite file; the
// snapshot reads every table in one repeatable-read, read-only transaction.

#include "store/DatabaseEngine.h"

namespace vx {

class ServerEngine final : public DatabaseEngine {
public:
    explicit ServerEngine(Database& db) : DatabaseEngine(db) {}

    bool open(Database::Access access) override;
    void closing(QSqlDatabase* open) override;
    Session keepSession() override;
    bool mayRenewSession() const override { return !m_inTransaction; }
    bool preparesEveryStatement() const override { return false; }
    DbError errorOf(const QSqlError& error) const override;
    QString tablesQuery() const override;
    QString integrityProblems() override;
    bool inTransaction() const override;
    bool beginWrite() override;
    void writeEnded() override { m_inTransaction = false; }
    bool copyTo(const QString& target, DbError* error) override;
    bool snapshotTo(const QString& file, DbError* error) override;
    bool replaceAllFrom(const QString& file, DbError* error) override;
    bool createSchema() override;

private:
    // A session: connected, the hold taken, the session set up.
    bool startSession(QSqlDatabase& db);
    // Runs `sql` (no values) on the connection, outside the fault injection: the session's set-up.
    bool setUp(const QString& sql);
    // libpq's PGconn when the connection is open, else null.
    void* handle() const;

    Database::Access m_access = Database::Access::ReadWrite;
    bool m_inTransaction = false; // a transaction is open on the server
};

} // namespace vx
