// The SQLite file engine: the file's hold, the journal's recovery, the opening and its pragmas,
// SQLite's integrity check, and the online backup that copies a file database.

#include "store/SqliteEngine.h"

#include "core/DurableFile.h"
#include "core/NativePath.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QUrl>
#include <QUrlQuery>

#include <sqlite3.h>

namespace vx {

namespace {

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

bool SqliteEngine::open(Database::Access access)
{
    const QString path = m_db.m_path;
    const Database::Mode mode = m_db.m_mode;
    const bool readOnly = access == Database::Access::ReadOnly;
    const QFileInfo file(path);
    if (!file.isFile() || !file.isReadable()) {
        m_db.m_error = DbError::sqlite(SQLITE_CANTOPEN);
        return false;
    }
    if (!readOnly && (!file.isWritable() || !QFileInfo(file.absolutePath()).isWritable())) {
        // The file, or the folder where SQLite writes its journal, cannot be written.
        m_db.m_error = DbError::sqlite(SQLITE_READONLY);
        return false;
    }
    const bool exclusive = mode == Database::Mode::StandAlone && !readOnly;
    // A file renamed over the path between our open and our hold (a restore) is opened again.
    for (int attempt = 0;; ++attempt) {
        if (!m_db.m_hold.open(path, exclusive ? HeldFile::Access::ReadWrite : HeldFile::Access::Read)) {
            m_db.m_error = DbError::sqlite(
                m_db.m_hold.openFailure() == HeldFile::OpenFailure::Denied ? SQLITE_READONLY : SQLITE_CANTOPEN);
            return false;
        }
        if (!hasSqliteHeader(m_db.m_hold)) {
            m_db.m_error = DbError::sqlite(SQLITE_NOTADB);
            m_db.close();
            return false;
        }
        if (!takeHold(m_db.m_hold, exclusive)) {
            m_db.m_error = DbError::sqlite(SQLITE_BUSY);
            m_db.close();
            return false;
        }
        if (m_db.m_hold.isFileAt(path))
            break;
        m_db.close();
        if (attempt == 2) {
            m_db.m_error = DbError::sqlite(SQLITE_BUSY);
            return false;
        }
    }
    if (readOnly)
        recoverJournal(path);
    clearSpentJournal(path);

    QSqlDatabase db = QSqlDatabase::addDatabase(m_db.m_driver, m_db.m_name);
    // A URI with mode=rw (or ro): SQLite must not create a missing file.
    QUrl uri = QUrl::fromLocalFile(path);
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("mode"), readOnly ? QStringLiteral("ro") : QStringLiteral("rw"));
    uri.setQuery(q);
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    const int timeout = exclusive ? 0 : Database::kBusyTimeoutMs;
    QString options = QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(timeout);
    if (readOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    auto fail = [&](const DbError& error) {
        m_db.m_error = error;
        db = QSqlDatabase();
        m_db.close();
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
        return !exclusive && DbError::from(q.lastError()).code() == SQLITE_BUSY &&
               waited.elapsed() < Database::kOpenWaitMs;
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
    else if (mode == Database::Mode::StandAlone)
        // Exclusive locking keeps the lock once taken; the empty exclusive transaction takes it now.
        setup = {QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"), QStringLiteral("BEGIN EXCLUSIVE"),
                 QStringLiteral("COMMIT")};
    else
        setup = {QStringLiteral("PRAGMA foreign_keys=OFF"), QStringLiteral("PRAGMA journal_mode=DELETE")};
    // A registry update or an import changes megabytes of pages in one transaction: with the
    // default cache of 2 MB the engine spills dirty pages before the commit, and each spill
    // syncs the journal. The cache grows only as far as a transaction needs.
    if (!readOnly)
        setup.prepend(QStringLiteral("PRAGMA cache_size=-%1").arg(Database::kWriteCacheKiB));
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

QString SqliteEngine::tablesQuery() const
{
    return QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY "
                          "name");
}

QString SqliteEngine::integrityProblems()
{
    QSqlQuery q = m_db.query();
    if (!m_db.exec(q, QStringLiteral("PRAGMA integrity_check")))
        return m_db.m_error.description;
    QStringList found;
    while (q.next())
        found.append(q.value(0).toString());
    return found == QStringList{QStringLiteral("ok")} ? QString() : found.join(QLatin1Char('\n'));
}

bool SqliteEngine::inTransaction() const
{
    sqlite3* handle = sqliteHandle();
    return handle && sqlite3_get_autocommit(handle) == 0;
}

bool SqliteEngine::beginWrite()
{
    QSqlQuery q = m_db.query();
    return m_db.exec(q, QStringLiteral("BEGIN IMMEDIATE"));
}

sqlite3* SqliteEngine::sqliteHandle() const
{
    return m_db.isOpen() ? handleOf(m_db.connection()) : nullptr;
}

bool SqliteEngine::snapshotTo(const QString& file, DbError* error)
{
    return copyTo(file, error);
}

bool SqliteEngine::replaceAllFrom(const QString&, DbError* error)
{
    return reportDbError(error, DbError::sqlite(SQLITE_MISUSE));
}

bool SqliteEngine::createSchema()
{
    return reportDbError(&m_db.m_error, DbError::sqlite(SQLITE_MISUSE));
}

namespace {

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
        return reportDbError(error, failure);
    }
    if (!putInPlace(temporary, target)) {
        removeTemporary();
        return reportDbError(error, DbError::sqlite(SQLITE_IOERR));
    }
    return true;
}
} // namespace

bool SqliteEngine::copyTo(const QString& target, DbError* error)
{
    sqlite3* handle = sqliteHandle();
    if (!handle || target.isEmpty())
        return reportDbError(error, DbError::sqlite(SQLITE_MISUSE));
    return backupInto(handle, target, error);
}

bool copyDatabase(const QString& source, const QString& target, DbError* error)
{
    if (source.isEmpty() || target.isEmpty())
        return reportDbError(error, DbError::sqlite(SQLITE_CANTOPEN));
    {
        HeldFile file;
        if (!file.open(source, HeldFile::Access::Read))
            return reportDbError(error, DbError::sqlite(SQLITE_CANTOPEN));
        if (!hasSqliteHeader(file))
            return reportDbError(error, DbError::sqlite(SQLITE_NOTADB));
    }
    // Read-write without create: a journal left by a writer that died must be rolled back
    // before the pages can be read, and a read-only connection cannot do that.
    sqlite3* from = nullptr;
    if (sqlite3_open_v2(nativepath::utf8(source).constData(), &from, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const DbError e{QString::number(sqlite3_extended_errcode(from)), QString::fromUtf8(sqlite3_errmsg(from))};
        sqlite3_close(from);
        return reportDbError(error, e);
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
