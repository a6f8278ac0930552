#include "store/Database.h"

#include "core/DurableFile.h"
#include "core/FieldLog.h"
#include "core/NativePath.h"
#include "core/Settings.h"
#include "store/Messages.h"
#include "store/Schema.h"

#include <QAtomicInt>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QUrl>
#include <QUrlQuery>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace vx {

namespace {
QAtomicInt g_connections;

// The byte our programs lock to hold the file: 1 TiB in, far past SQLite's lock bytes at 1 GiB
// and past any real database, so it never meets SQLite's locks or the data's pages.
constexpr qint64 kHoldByte = qint64(1) << 40;

const QByteArray kSqliteHeader("SQLite format 3\0", 16);

// Reads the first bytes through the file held (no other handle is opened and closed on the way).
bool hasSqliteHeader(const HeldFile& file)
{
    return file.readAt(0, kSqliteHeader.size()) == kSqliteHeader;
}

// Takes the hold lock: false only when another holder makes it impossible. A file system without
// such locks (old kernels, some shares) leaves the hold to SQLite's own locks.
bool takeHold(HeldFile& file, bool exclusive)
{
    return file.tryLockRange(kHoldByte, 1, exclusive) != HeldFile::Lock::HeldElsewhere;
}

// A writer that died mid-transaction leaves its journal, which must be rolled back before the
// pages can be read; a read-only connection cannot do it and refuses every read (Errore 776). A
// connection that may write rolls it back at its first read; the caller holds the file meanwhile,
// so that no program of ours writes in between. Where nobody may write, the read-only opening then
// reports the interrupted write itself.
void recoverJournal(const QString& path)
{
    const QFileInfo journal(path + QStringLiteral("-journal"));
    if (!journal.isFile() || journal.size() == 0 || !QFileInfo(path).isWritable() ||
        !QFileInfo(journal.absolutePath()).isWritable())
        return;
    sqlite3* rw = nullptr;
    if (sqlite3_open_v2(nativepath::utf8(path).constData(), &rw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(rw, Database::kBusyTimeoutMs);
        sqlite3_exec(rw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    sqlite3_close(rw);
}

// Whether the journal beside a database is spent: empty, or its header zeroed, as a connection in
// exclusive locking mode leaves it at each commit (it deletes the file only when it closes, so a
// program killed in between leaves it for ever). SQLite itself looks at the first byte alone to
// tell a journal that must be rolled back.
bool isSpentJournal(const QString& journalPath)
{
    QFile journal(journalPath);
    if (!journal.open(QIODevice::ReadOnly))
        return false;
    char first = 0;
    return journal.size() == 0 || (journal.getChar(&first) && first == 0);
}

// A spent journal is removed, but only under the database's write lock: while a connection holds
// it no other can be writing a journal of its own (a live journal's header may be zero for a
// moment as it is written), and none waits for it.
void clearSpentJournal(const QString& path)
{
    const QString journalPath = path + QStringLiteral("-journal");
    if (!QFileInfo(journalPath).isFile() || !QFileInfo(path).isWritable() ||
        !QFileInfo(QFileInfo(journalPath).absolutePath()).isWritable() || !isSpentJournal(journalPath))
        return;
    sqlite3* rw = nullptr;
    if (sqlite3_open_v2(nativepath::utf8(path).constData(), &rw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(rw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
        if (isSpentJournal(journalPath))
            QFile::remove(journalPath);
        sqlite3_exec(rw, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close(rw);
}

sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

} // namespace

int DbError::code() const
{
    if (isServerState()) {
        // A server's SQLSTATE, as the SQLite code of the same condition.
        const QStringView state(number);
        if (state.startsWith(u"23"))
            return SQLITE_CONSTRAINT;
        if (state == u"40001" || state == u"40P01")
            return Database::kConflict;
        if (state == u"55P03" || state == u"57014")
            return SQLITE_BUSY; // a lock not obtained in time
        if (state == u"25006")
            return SQLITE_READONLY;
        if (state.startsWith(u"08") || state == u"57P01" || state == u"57P02" || state == u"57P03")
            return Database::kUnreachable;
        if (state.startsWith(u"28"))
            return Database::kAuthentication;
        if (state == u"53100")
            return SQLITE_FULL;
        if (state.startsWith(u"58"))
            return SQLITE_IOERR;
        if (state == u"XX001" || state == u"XX002")
            return SQLITE_CORRUPT;
        return SQLITE_ERROR;
    }
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok)
        return 0;
    return n < 0 ? n : (n & 0xff);
}

DbError DbError::from(const QSqlError& error)
{
    DbError e;
    e.number = error.nativeErrorCode();
    if (e.number.isEmpty() && error.type() != QSqlError::NoError)
        e.number = QString::number(static_cast<int>(error.type()));
    e.description = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return e;
}

DbError DbError::sqlite(int code)
{
    return {QString::number(code), QString::fromUtf8(sqlite3_errstr(code))};
}

Database::Database() : m_name(QStringLiteral("vx-%1").arg(g_connections.fetchAndAddRelaxed(1))) {}

Database::~Database()
{
    close();
}

Database::Mode Database::modeFor(const QString& installationType)
{
    return installationType == Settings::kMultiutenza ? Mode::Multiutenza : Mode::StandAlone;
}

bool Database::isFormerProvider(const QString& provider)
{
    const QString p = provider.trimmed();
    return p.startsWith(QLatin1String("Microsoft.Jet.OLEDB"), Qt::CaseInsensitive) ||
           p.startsWith(QLatin1String("Microsoft.ACE.OLEDB"), Qt::CaseInsensitive);
}

QString Database::driverFor(const QString& provider)
{
    const QString p = provider.trimmed();
    return p.isEmpty() || isFormerProvider(p) ? Settings::kProvider : p;
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_name) && connection().isOpen();
}

bool Database::open(const QString& driver, const QString& path, Mode mode, Access access)
{
    DatabaseTarget target = DatabaseTarget::file(path);
    target.driver = driverFor(driver);
    return open(target, mode, access);
}

bool Database::open(const DatabaseTarget& target, Mode mode, Access access)
{
    const bool opened = openTarget(target, mode, access);
    // A server by its address, a file by its name.
    const QString where = target.isServer() ? target.where() : QFileInfo(target.path).fileName();
    if (opened)
        qCInfo(vxStore, "base dati aperta: %s (%s)", qUtf8Printable(where),
               mode == Mode::StandAlone ? "esclusiva" : "condivisa");
    else
        qCWarning(vxStore, "base dati non aperta: %s: %s", qUtf8Printable(where), qUtf8Printable(m_error.description));
    return opened;
}

bool Database::openTarget(const DatabaseTarget& target, Mode mode, Access access)
{
    close();
    m_target = target;
    m_driver = driverFor(target.driver);
    m_target.driver = m_driver;
    m_path = target.isServer() ? QString() : target.path;
    m_mode = mode;
    m_error = {};
    if ((m_driver != Settings::kProvider && m_driver != Settings::kServerProvider) ||
        !QSqlDatabase::isDriverAvailable(m_driver)) {
        m_error = {QString::number(kNoDriver), msg::store::driverUnavailable(m_driver)};
        return false;
    }
    if (!(m_target.isServer() ? openServer(access) : openFile(target.path, access)))
        return false;
    // A layout the program does not know is left as it is: nothing of it is read or written.
    const std::optional<int> version = schemaVersion();
    if (!version || *version > store::schemaVersion()) {
        const DbError error = version
                                  ? DbError{QString::number(kNewerSchema),
                                            msg::store::newerSchema(m_target.where(), *version, store::schemaVersion())}
                                  : m_error;
        close();
        m_error = error;
        return false;
    }
    m_versionAtOpen = *version;
    return true;
}

std::optional<int> Database::schemaVersion()
{
    const std::optional<QStringList> names = tables();
    if (!names)
        return std::nullopt;
    const auto has = [&](const QString& table) { return names->contains(table, Qt::CaseInsensitive); };
    if (!has(QStringLiteral("VersioneSchema")))
        return has(QStringLiteral("Trasmissioni")) ? 2 : 1;
    QSqlQuery q = query();
    if (!exec(q, QStringLiteral("SELECT MAX(Versione) FROM VersioneSchema")))
        return std::nullopt;
    return q.next() && !q.value(0).isNull() ? q.value(0).toInt() : 2;
}

bool Database::upgradeSchema()
{
    return inWriteTransaction([&] {
        const std::optional<int> version = schemaVersion();
        if (!version)
            return false;
        if (*version >= store::schemaVersion())
            return true;
        for (const QString& statement : store::upgradeStatements(m_driver)) {
            QSqlQuery q = query();
            if (!exec(q, statement))
                return false;
        }
        return true;
    });
}

bool Database::openFile(const QString& path, Access access)
{
    const Mode mode = m_mode;
    const bool readOnly = access == Access::ReadOnly;
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        m_error = DbError::sqlite(SQLITE_CANTOPEN);
        return false;
    }
    if (!readOnly && (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable())) {
        // The file, or the folder where SQLite writes its journal, cannot be written.
        m_error = DbError::sqlite(SQLITE_READONLY);
        return false;
    }
    const bool exclusive = mode == Mode::StandAlone && !readOnly;
    // A file renamed over the path between our open and our hold (a restore) is opened again.
    for (int attempt = 0;; ++attempt) {
        if (!m_hold.open(path, exclusive ? HeldFile::Access::ReadWrite : HeldFile::Access::Read)) {
            m_error = DbError::sqlite(m_hold.openFailure() == HeldFile::OpenFailure::Denied ? SQLITE_READONLY
                                                                                            : SQLITE_CANTOPEN);
            return false;
        }
        if (!hasSqliteHeader(m_hold)) {
            m_error = DbError::sqlite(SQLITE_NOTADB);
            close();
            return false;
        }
        if (!takeHold(m_hold, exclusive)) {
            m_error = DbError::sqlite(SQLITE_BUSY);
            close();
            return false;
        }
        if (m_hold.isFileAt(path))
            break;
        close();
        if (attempt == 2) {
            m_error = DbError::sqlite(SQLITE_BUSY);
            return false;
        }
    }
    if (readOnly)
        recoverJournal(path);
    clearSpentJournal(path);

    QSqlDatabase db = QSqlDatabase::addDatabase(m_driver, m_name);
    // A URI with mode=rw (or ro): SQLite must not create a missing file.
    QUrl uri = QUrl::fromLocalFile(path);
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("mode"), readOnly ? QStringLiteral("ro") : QStringLiteral("rw"));
    uri.setQuery(q);
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    const int timeout = exclusive ? 0 : kBusyTimeoutMs;
    QString options = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(timeout);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    auto fail = [&](const DbError& error) {
        m_error = error;
        db = QSqlDatabase();
        close();
        return false;
    };
    if (!db.open())
        return fail(DbError::from(db.lastError()));

    // Ours only when it holds the Request and role tables; checked by reading alone, before
    // the pragmas below may write.
    // Workstations saving one after the other may keep a shared file busy beyond one busy
    // timeout on a loaded machine: the opening waits for them as long as a save would be offered
    // again, rather than failing while nothing is wrong.
    QElapsedTimer waited;
    waited.start();
    const auto busyAgain = [&](const QSqlQuery& q) {
        return !exclusive && DbError::from(q.lastError()).code() == SQLITE_BUSY && waited.elapsed() < kOpenWaitMs;
    };
    DbError notOurs;
    {
        QSqlQuery tables(db);
        bool read = false;
        while (!(read = tables.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                                   "name IN ('Domande', 'Ruoli')"))) &&
               busyAgain(tables)) {
        }
        if (!read)
            notOurs = DbError::from(tables.lastError());
        else if (!tables.next() || tables.value(0).toInt() != 2)
            notOurs = DbError::sqlite(SQLITE_NOTADB);
    }
    if (!notOurs.isNull())
        return fail(notOurs);
    sqlite3* handle = handleOf(db);
    if (!readOnly && handle && sqlite3_db_readonly(handle, "main") == 1)
        return fail(DbError::sqlite(SQLITE_READONLY));

    QStringList setup;
    if (readOnly)
        setup = {QStringLiteral("PRAGMA query_only=1")};
    else if (mode == Mode::StandAlone)
        // Exclusive locking keeps the lock once taken; the empty exclusive transaction takes it now.
        setup = {QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"), QStringLiteral("BEGIN EXCLUSIVE"),
                 QStringLiteral("COMMIT")};
    else
        setup = {QStringLiteral("PRAGMA foreign_keys=OFF"), QStringLiteral("PRAGMA journal_mode=DELETE")};
    // A registry update or an import changes megabytes of pages in one transaction: with the
    // default cache of 2 MB the engine spills dirty pages before the commit, and each spill
    // syncs the journal. The cache grows only as far as a transaction needs.
    if (!readOnly)
        setup.prepend(QStringLiteral("PRAGMA cache_size=-%1").arg(kWriteCacheKiB));
    for (const QString& sql : setup) {
        QSqlQuery query(db);
        bool done = false;
        while (!(done = query.exec(sql)) && busyAgain(query)) {
        }
        if (!done) {
            const DbError error = DbError::from(query.lastError());
            query = QSqlQuery();
            return fail(error);
        }
    }
    return true;
}

void Database::close()
{
    m_serverTransaction = false;
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            // A server drops a session's advisory hold only when the session's process ends, a
            // moment after the connection closes: released here, so that what needs the database
            // alone right after this close (a restore, the assistance copy, the next start) does
            // not meet this program's own hold and refuse.
            if (isServer() && db.isOpen())
                QSqlQuery(db).exec(QStringLiteral("SELECT pg_advisory_unlock_all()"));
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    // Last, so that the hold outlives the connection.
    m_hold.close();
}

void Database::failStatement(int n, const DbError& error)
{
    m_failCountdown = n;
    m_fault = error;
    m_faultFired = false;
}

namespace {
struct ProcessFault {
    std::atomic<int> countdown{0};
    std::atomic<bool> fired{false};
    DbError error; // written only while disarmed
};
ProcessFault& processFault()
{
    static ProcessFault fault;
    return fault;
}
} // namespace

void Database::failStatementInProcess(int n, const DbError& error)
{
    ProcessFault& fault = processFault();
    fault.countdown = 0;
    fault.error = error;
    fault.fired = false;
    fault.countdown = n;
}

bool Database::processFaultFired()
{
    return processFault().fired;
}

bool Database::onLiveSession(QSqlQuery& query, bool* renewed)
{
    switch (keepServerSession()) {
    case Session::Kept:
        return true;
    case Session::Renewed:
        query = QSqlQuery(connection());
        if (renewed)
            *renewed = true;
        return true;
    case Session::Lost:
        break;
    }
    return false;
}

bool Database::exec(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    if (faultTakes())
        return false;
    for (int attempt = 0;; ++attempt) {
        if (!onLiveSession(query))
            return false;
        if (execOnce(query, sql, values))
            return true;
        if (attempt > 0 || !repeatable(sql))
            return false;
    }
}

bool Database::execOnce(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    // A server prepares only queries and data changes: a statement without values (BEGIN, a
    // table's layout) runs as it is.
    if (values.isEmpty() && isServer()) {
        if (!query.exec(sql)) {
            m_error = errorOf(query.lastError());
            return false;
        }
        m_error = {};
        return true;
    }
    if (!query.prepare(sql)) {
        m_error = errorOf(query.lastError());
        return false;
    }
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        m_error = errorOf(query.lastError());
        return false;
    }
    m_error = {};
    return true;
}

bool Database::repeatable(const QString& sql) const
{
    // A server restarted since the last statement is found out only by the next one, which fails
    // on the dead session. Outside a transaction a read, or the start of one, changed nothing and
    // is run again on a new session before anyone is told; a change is not, as it may have been
    // done before the connection dropped.
    if (!isServer() || m_serverTransaction || m_error.code() != kUnreachable)
        return false;
    const QStringView head = QStringView(sql).trimmed();
    return head.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive) ||
           head.startsWith(QLatin1String("BEGIN"), Qt::CaseInsensitive);
}

bool Database::prepare(QSqlQuery& query, const QString& sql)
{
    for (int attempt = 0;; ++attempt) {
        if (!onLiveSession(query))
            return false;
        if (query.prepare(sql))
            return true;
        m_error = errorOf(query.lastError());
        // Preparing changes nothing: on a session found lost it is done again on a new one.
        if (attempt > 0 || !isServer() || m_serverTransaction || m_error.code() != kUnreachable)
            return false;
    }
}

bool Database::faultTakes()
{
    if (m_failCountdown > 0 && --m_failCountdown == 0) {
        m_faultFired = true;
        m_error = m_fault;
        return true;
    }
    ProcessFault& fault = processFault();
    if (fault.countdown.load(std::memory_order_relaxed) > 0 && fault.countdown.fetch_sub(1) == 1) {
        fault.fired = true;
        m_error = fault.error;
        return true;
    }
    return false;
}

sqlite3* Database::sqliteHandle() const
{
    return isOpen() ? handleOf(connection()) : nullptr;
}

bool Database::run(QSqlQuery& query, const QVariantList& values)
{
    if (faultTakes())
        return false;
    const QString sql = query.lastQuery();
    for (int attempt = 0;; ++attempt) {
        bool renewed = false;
        if (!onLiveSession(query, &renewed))
            return false;
        // Statements prepared on the session that was lost are prepared again on the new one.
        if (renewed && !query.prepare(sql)) {
            m_error = errorOf(query.lastError());
            return false;
        }
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, values[i]);
        if (query.exec()) {
            m_error = {};
            return true;
        }
        m_error = errorOf(query.lastError());
        if (attempt > 0 || !repeatable(sql))
            return false;
    }
}

DbError Database::errorOf(const QSqlError& error) const
{
    DbError e = DbError::from(error);
    // A server that went away answers nothing: no SQLSTATE, only the connection's state. libpq
    // does not always mark the connection lost at the first failure (a write on a closed socket),
    // so an error without SQLSTATE on a connection that looks sound is checked with a trivial read.
    if (isServer() && !e.isServerState()) {
        const auto* conn = static_cast<const PGconn*>(serverHandle());
        bool lost = !conn || PQstatus(conn) != CONNECTION_OK;
        if (!lost && !m_serverTransaction) {
            QSqlQuery ping(connection());
            lost = !ping.exec(QStringLiteral("SELECT 1")) || PQstatus(conn) != CONNECTION_OK;
        }
        if (lost)
            e = {QString::number(kUnreachable), msg::store::connectionLost(e.description)};
    }
    return e;
}

std::optional<QStringList> Database::tables()
{
    QSqlQuery q = query();
    const QString sql = isServer() ? QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                                                    "table_schema = current_schema() AND table_type = 'BASE TABLE' "
                                                    "ORDER BY table_name")
                                   : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                                    "NOT LIKE 'sqlite%' ORDER BY name");
    if (!exec(q, sql))
        return std::nullopt;
    QStringList names;
    while (q.next())
        names.append(q.value(0).toString());
    return names;
}

QString Database::integrityProblems()
{
    if (isServer()) {
        // The server keeps its own pages whole (a damaged page fails its read); what the program
        // can prove is that every table of its schema is there and reads to its end.
        // A database of an earlier version lacks the later tables until it is brought up to date.
        const std::optional<QStringList> present = tables();
        if (!present)
            return m_error.description;
        const bool current = schemaVersion() == store::schemaVersion();
        QStringList problems;
        for (const QString& table : store::schemaTables()) {
            if (!present->contains(table, Qt::CaseInsensitive)) {
                if (current)
                    problems.append(table + QStringLiteral(": tabella mancante"));
                continue;
            }
            QSqlQuery q = query();
            if (!exec(q, QStringLiteral("SELECT count(*) FROM ") + table))
                problems.append(table + QStringLiteral(": ") + m_error.description);
        }
        return problems.join(QLatin1Char('\n'));
    }
    QSqlQuery q = query();
    if (!exec(q, QStringLiteral("PRAGMA integrity_check")))
        return m_error.description;
    QStringList found;
    while (q.next())
        found.append(q.value(0).toString());
    return found == QStringList{QStringLiteral("ok")} ? QString() : found.join(QLatin1Char('\n'));
}

bool Database::inTransaction() const
{
    if (isServer()) {
        const auto* conn = static_cast<const PGconn*>(serverHandle());
        return conn && PQtransactionStatus(conn) != PQTRANS_IDLE;
    }
    sqlite3* handle = sqliteHandle();
    return handle && sqlite3_get_autocommit(handle) == 0;
}

bool Database::inWriteTransaction(const std::function<bool()>& work)
{
    QSqlQuery q = query();
    if (isServer()) {
        // Writers queue on the program's lock, as they queue on a SQLite file: each sees what the
        // one before it committed.
        if (!exec(q, QStringLiteral("BEGIN")))
            return false;
        m_serverTransaction = true;
        QSqlQuery queue = query();
        if (!exec(queue, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kWriteKey))) {
            const DbError failure = m_error;
            QSqlQuery rollback = query();
            rollback.exec(QStringLiteral("ROLLBACK"));
            m_serverTransaction = false;
            m_error = failure;
            return false;
        }
    } else if (!exec(q, QStringLiteral("BEGIN IMMEDIATE"))) {
        return false;
    }
    if (work()) {
        QSqlQuery commit = query();
        const bool committed = exec(commit, QStringLiteral("COMMIT"));
        m_serverTransaction = false;
        if (committed)
            return true;
    }
    const DbError failure = m_error;
    QSqlQuery rollback = query();
    rollback.exec(QStringLiteral("ROLLBACK"));
    m_serverTransaction = false;
    m_error = failure;
    return false;
}

namespace {
bool report(DbError* error, const DbError& e)
{
    if (error)
        *error = e;
    return false;
}

// The online backup of `from` into `target`, through a temporary file beside it.
bool backupInto(sqlite3* from, const QString& target, DbError* error)
{
    const QString temporary = target + QStringLiteral(".tmp");
    const QByteArray temporaryName = nativepath::utf8(temporary);
    auto removeTemporary = [&] {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
    };
    removeTemporary();
    sqlite3* to = nullptr;
    int rc = sqlite3_open_v2(temporaryName.constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3* culprit = to;
    // The copy is written once and read by nobody until it is whole and in place: it needs neither
    // a journal (a copy cut short is thrown away) nor more than a small cache, where the default
    // would hold two megabytes of pages that are written and never read again.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(to, "PRAGMA journal_mode = OFF; PRAGMA cache_size = -64", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
        if (!backup) {
            rc = sqlite3_errcode(to);
        } else {
            // All pages in one step, under one read lock: a snapshot. The source's busy timeout
            // waits for a writer; two more rounds cover a writer that keeps the lock longer.
            for (int round = 0; round < 3; ++round) {
                rc = sqlite3_backup_step(backup, -1);
                if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
                    break;
                sqlite3_sleep(100);
            }
            sqlite3_backup_finish(backup);
            rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
            culprit = sqlite3_errcode(to) != SQLITE_OK ? to : from;
        }
    }
    DbError failure;
    if (rc != SQLITE_OK) {
        failure = {QString::number(rc), QString::fromUtf8(sqlite3_errstr(rc))};
        if (culprit && sqlite3_errcode(culprit) != SQLITE_OK)
            failure.description = QString::fromUtf8(sqlite3_errmsg(culprit));
    }
    sqlite3_close(to);
    if (rc != SQLITE_OK) {
        removeTemporary();
        return report(error, failure);
    }
    if (!putInPlace(temporary, target)) {
        removeTemporary();
        return report(error, DbError::sqlite(SQLITE_IOERR));
    }
    return true;
}
} // namespace

bool Database::copyTo(const QString& target, DbError* error)
{
    sqlite3* handle = isOpen() ? handleOf(connection()) : nullptr;
    if (!handle || target.isEmpty())
        return report(error, DbError::sqlite(SQLITE_MISUSE));
    return backupInto(handle, target, error);
}

bool copyDatabase(const QString& source, const QString& target, DbError* error)
{
    if (source.isEmpty() || target.isEmpty())
        return report(error, DbError::sqlite(SQLITE_CANTOPEN));
    {
        HeldFile file;
        if (!file.open(source, HeldFile::Access::Read))
            return report(error, DbError::sqlite(SQLITE_CANTOPEN));
        if (!hasSqliteHeader(file))
            return report(error, DbError::sqlite(SQLITE_NOTADB));
    }
    // Read-write without create: a journal left by a writer that died must be rolled back
    // before the pages can be read, and a read-only connection cannot do that.
    sqlite3* from = nullptr;
    if (sqlite3_open_v2(nativepath::utf8(source).constData(), &from, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const DbError e{QString::number(sqlite3_extended_errcode(from)), QString::fromUtf8(sqlite3_errmsg(from))};
        sqlite3_close(from);
        return report(error, e);
    }
    sqlite3_busy_timeout(from, Database::kBusyTimeoutMs);
    // Every page is read once: a cache would only hold them.
    sqlite3_exec(from, "PRAGMA cache_size = -64", nullptr, nullptr, nullptr);
    const bool copied = backupInto(from, target, error);
    sqlite3_close(from);
    return copied;
}

bool isWholeDatabase(const QString& path)
{
    Database probe;
    return probe.open(QString(), path, Database::Mode::StandAlone, Database::Access::ReadOnly) &&
           probe.integrityProblems().isEmpty();
}

} // namespace vx
