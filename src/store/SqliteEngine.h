#pragma once
// The SQLite file engine. The file is held (HeldFile) for the connection's life: exclusively for
// StandAlone, shared otherwise, so that a restore or a copy never meets a connection it does not
// know of; a journal left by a writer that died is rolled back before anything is read.

#include "store/DatabaseEngine.h"

namespace vx {

class SqliteEngine final : public DatabaseEngine {
public:
    explicit SqliteEngine(Database& db) : DatabaseEngine(db) {}

    bool open(Database::Access access) override;
    QString tablesQuery() const override;
    QString integrityProblems() override;
    bool inTransaction() const override;
    bool beginWrite() override;
    bool copyTo(const QString& target, DbError* error) override;
    bool snapshotTo(const QString& file, DbError* error) override;
    bool replaceAllFrom(const QString& file, DbError* error) override;
    bool createSchema() override;
    sqlite3* sqliteHandle() const override;
};

} // namespace vx
