#pragma once
// The one connection of a run, opened in the installation's mode, on a SQLite file or a PostgreSQL
// server: what differs between the two is the connection's engine (DatabaseEngine.h).
//
// "StandAlone": the file is held exclusively from the open until the close, so a second program
// on the same file cannot read or write it. "Multiutenza": normal locking, rollback journal and a
// busy timeout, so several workstations can share the file (also on a network share).
//
// SQLite's own locks are POSIX record locks, which the kernel drops as soon as *any* descriptor of
// the process on that file is closed (a file dialog that peeks at the file is enough). So the
// hold between our programs rests on a lock of our own, on a byte far beyond any page SQLite
// uses, taken on the open file description (OFD lock): only closing our own descriptor releases
// it. StandAlone takes it for writing, every other opening for reading, so each detects the other.
//
// Opening never creates a file and never changes the bytes of a file that is not one of our
// databases: the header and the tables `Domande` and `Ruoli` are checked before anything is
// written, and a file that cannot be written is refused rather than failing at the first save.
//
// On a PostgreSQL server the same holds with the server's own locks: every connection holds an
// advisory lock of the program for its session, shared, and StandAlone (or an operation that
// needs the database alone) holds it exclusively, so that each detects the other across
// workstations. Write transactions queue on a second advisory lock, as SQLite's writers queue on
// the file, so that the program's read-then-write steps see what the writer before them committed.
// Errors are given the numbers SQLite would give the same condition where there is one (a key
// violation is 19, a server that refuses the write 8), and numbers of their own otherwise (a
// server that cannot be reached, a password refused), so that the Italian advice is one table.

#include "core/HeldFile.h"
#include "store/DatabaseTarget.h"

#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

struct sqlite3;

namespace vx {

class DatabaseEngine;

struct DbError {
    QString number;
    QString description;

    bool isNull() const { return number.isEmpty() && description.isEmpty(); }
    // SQLite's primary result code (extended codes carry it in their low byte); a server's SQLSTATE
    // as the SQLite code of the same condition, or a negative code of the program's own; negative
    // codes are returned as they are.
    int code() const;
    // True when `number` is a server's SQLSTATE (five characters) rather than a SQLite code.
    bool isServerState() const { return number.size() == 5; }
    static DbError from(const QSqlError& error);
    // An error with SQLite's own text for `code`.
    static DbError sqlite(int code);
};

class Database {
public:
    enum class Mode { StandAlone, Multiutenza };
    enum class Access { ReadWrite, ReadOnly };
    static constexpr int kBusyTimeoutMs = 5000;
    // How long an opening waits for other workstations' saves on a shared file before it fails.
    static constexpr int kOpenWaitMs = 30000;
    static constexpr int kSqliteBusy = 5;
    static constexpr int kReadOnly = 8;
    static constexpr int kNoDriver = -1;
    // The program's own codes for what only a server can answer.
    static constexpr int kUnreachable = -2;    // no connection (network, server down, TLS refused)
    static constexpr int kAuthentication = -3; // the server refused the user or the password
    static constexpr int kPasswordNeeded = -4; // the server wants a password, and none was given
    static constexpr int kNoTables = -5;       // a database on the server without the program's tables
    static constexpr int kConflict = -6;       // the transaction lost to another one: to be run again
    static constexpr int kNewerSchema = -7;    // laid out by a newer program: refused, untouched
    static constexpr int kNoPrivileges = -8;   // the user lacks rights on some of the program's tables
    static constexpr int kNoDatabase = -9;     // the server lets the user in, but has no such database
    // The advisory locks of the program on a server: the session's hold, and the writers' queue.
    static constexpr qint64 kHoldKey = 0x56454C5448;  // "VELTH"
    static constexpr qint64 kWriteKey = 0x56454C5457; // "VELTW"
    // The page cache of a writing connection, in KiB: a whole registry load fits in it.
    static constexpr int kWriteCacheKiB = 64 * 1024;

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    static Mode modeFor(const QString& installationType);
    // The Qt SQL driver for the installation's PROVIDER: empty, or the provider of the program
    // this one replaces (an INI carried over from it), mean QSQLITE; anything else is taken as named.
    static QString driverFor(const QString& provider);
    static bool isFormerProvider(const QString& provider);

    // The database at `target`. ReadOnly access never writes: no pragmas that change the file, and
    // the engine itself is told to refuse writes.
    bool open(const DatabaseTarget& target, Mode mode, Access access = Access::ReadWrite);
    // A SQLite file (`driver` as the installation names it, see driverFor).
    bool open(const QString& driver, const QString& path, Mode mode, Access access = Access::ReadWrite);
    void close();
    bool isOpen() const;

    const DbError& lastError() const { return m_error; }
    // True when the last open failed because another program holds the file (or the server's hold).
    bool lastOpenWasLocked() const { return m_error.code() == kSqliteBusy || m_error.code() == 6; }
    // True when the last open failed because the file is not a usable database of this program
    // (not SQLite, no tables of ours, or damaged), as opposed to a passing condition.
    bool lastOpenFoundNoDatabase() const { return m_error.code() == 26 || m_error.code() == 11; }

    QString path() const { return m_path; }
    const DatabaseTarget& target() const { return m_target; }
    // True when the database is on a server (no file of ours to copy, rename or hold).
    bool isServer() const { return m_target.isServer(); }
    Mode mode() const { return m_mode; }
    QSqlDatabase connection() const;
    QSqlQuery query() const { return QSqlQuery(connection()); }

    // Prepares, binds `values` in order and runs `sql`; on failure keeps the error.
    bool exec(QSqlQuery& query, const QString& sql, const QVariantList& values = {});
    // The same in two steps, for a statement run many times: prepared once, then bound and run
    // with each row's values. The fault injection counts each run as one statement.
    bool prepare(QSqlQuery& query, const QString& sql);
    bool run(QSqlQuery& query, const QVariantList& values);
    // Runs `work` in one write transaction, taken at once (so that two workstations queue up):
    // committed when `work` gives true, rolled back otherwise. The error of the failing step is kept.
    bool inWriteTransaction(const std::function<bool()>& work);
    // True while a transaction is open on this connection (after a rollback that did not happen).
    bool inTransaction() const;

    // The tables of the database, by name, in order (the engine's own catalogue left out).
    std::optional<QStringList> tables();
    // Empty when the engine finds the database whole; otherwise what it found, or why it could not look.
    QString integrityProblems();

    // The same copy as copyDatabase, through this connection: for a file it holds StandAlone,
    // which no other connection may read meanwhile.
    bool copyTo(const QString& target, DbError* error = nullptr);
    // A SQLite file of the whole database at `file`, whatever the engine: on a server, every table
    // read in one repeatable-read transaction (a consistent snapshot while others write), written
    // beside `file`, flushed and renamed over it. So backups, rotating copies and the assistance
    // archive have one format, and an archive made on either engine restores on either.
    bool snapshotTo(const QString& file, DbError* error = nullptr);
    // On a server: every table replaced by the rows of the SQLite file `file` (a snapshot), in one
    // transaction; the connection must hold the database alone (StandAlone).
    bool replaceAllFrom(const QString& file, DbError* error = nullptr);
    // On a server opened without the program's tables (kNoTables): the schema laid out, in one
    // transaction.
    bool createSchema();
    // The version of the database's layout (see store::schemaVersion): its `VersioneSchema` row, or,
    // in a database laid out before that table, 2 when it has `Trasmissioni` and 1 otherwise.
    // Opening refuses a database newer than the program (kNewerSchema).
    std::optional<int> schemaVersion();
    // The version the last successful open read, so that the start does not read it again.
    int schemaVersionAtOpen() const { return m_versionAtOpen; }
    // A database of an older version brought up to this program's, in one write transaction (so a
    // second workstation doing the same meanwhile waits, then finds nothing left to do).
    bool upgradeSchema();
    // Each table's rows counted and summed (SHA-256 of the rows' texts, in an order that does not
    // depend on the engine): two databases with equal sums hold the same data.
    struct TableSum {
        qint64 rows = 0;
        QByteArray sha256;
        bool operator==(const TableSum&) const = default;
    };
    std::optional<QMap<QString, TableSum>> tableSums();

    // Fault injection for tests, inert unless armed: the `n`th statement run through exec(), run()
    // or a FastStatement from now on (BEGIN and COMMIT included) fails with `error` without
    // running; 0 disarms.
    void failStatement(int n, const DbError& error = DbError::sqlite(10));
    bool faultFired() const { return m_faultFired; }
    // The same across every connection of the process, for an operation that opens connections of
    // its own (a restore, a move between engines): the `n`th statement any of them runs fails.
    static void failStatementInProcess(int n, const DbError& error = DbError::sqlite(10));
    static bool processFaultFired();

private:
    bool openTarget(const DatabaseTarget& target, Mode mode, Access access);
    friend class FastStatement;
    // The engines work on the connection they serve (DatabaseEngine.h).
    friend class SqliteEngine;
    friend class ServerEngine;
    bool execOnce(QSqlQuery& query, const QString& sql, const QVariantList& values);
    // Before a statement: a session the server dropped is started again (outside a transaction),
    // so that the user's Retry after "server non raggiungibile" goes on; `query` is then made anew
    // on it. False when lost.
    bool onLiveSession(QSqlQuery& query, bool* renewed = nullptr);
    // Whether the statement that just failed on a lost server session may run again on a new one.
    bool repeatable(const QString& sql) const;
    // The error of a failed statement, with a lost server connection told as such.
    DbError errorOf(const QSqlError& error) const;
    // True when the armed fault takes the statement about to run: its error is then kept.
    bool faultTakes();
    void setError(const DbError& error) { m_error = error; }
    // The engine's own handle when the connection is an open SQLite one, else null.
    sqlite3* sqliteHandle() const;

    QString m_name;
    QString m_driver;
    QString m_path;
    DatabaseTarget m_target;
    Mode m_mode = Mode::StandAlone;
    int m_versionAtOpen = 0;
    DbError m_error;
    HeldFile m_hold;
    int m_failCountdown = 0;
    DbError m_fault;
    bool m_faultFired = false;
    std::unique_ptr<DatabaseEngine> m_engine;
};

// Copies the database at `source` into `target` with SQLite's online backup, on a connection of
// its own that waits for writers: the copy is a consistent snapshot even while other workstations
// write. It is written beside the target, flushed to disk and then renamed over it, so `target` is
// always either the old file or the whole new copy. False (and `error`, when given) on failure.
// A file that this process holds StandAlone is copied with Database::copyTo instead.
bool copyDatabase(const QString& source, const QString& target, DbError* error = nullptr);

// A SQLite file of the whole database at `source` in `file`, whatever the engine, on a connection
// of its own (copyDatabase for a file, Database::snapshotTo on a server).
bool snapshotDatabase(const DatabaseTarget& source, const QString& file, DbError* error = nullptr);

// True when the file at `path` opens as one of our databases (read-only, never written) and the
// engine finds it whole.
bool isWholeDatabase(const QString& path);

} // namespace vx
