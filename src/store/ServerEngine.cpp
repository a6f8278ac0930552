// The PostgreSQL server engine (ServerEngine.h), and what whole-database work needs of a server:
// the snapshot into a SQLite file, the replacement of every table from one.

#include "store/ServerEngine.h"

#include "core/DurableFile.h"
#include "core/NativePath.h"
#include "core/Settings.h"
#include "store/Messages.h"
#include "store/Schema.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlRecord>
#include <QThread>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <cstdio>

#include <algorithm>
#include <vector>

namespace vx {

namespace {

constexpr int kConnectTimeoutSeconds = 10;
// A workstation that meets an exclusive hold tries again for this long before it is refused (an
// operation that needs the database alone, such as a restore, is short).
constexpr int kHoldWaitMs = 5000;

// A value for libpq's connection string, quoted as it asks.
QString quoted(const QString& value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    v.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// Qt's QPSQL options: libpq keywords separated by ";" (a value may not hold one).
QString connectOptions(const DatabaseTarget& t)
{
    QStringList options{QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutSeconds),
                        QStringLiteral("application_name=VELTRANORPX")};
    if (!t.tlsMode.isEmpty())
        options.append(QStringLiteral("sslmode=") + quoted(t.tlsMode));
    if (!t.caFile.isEmpty())
        options.append(QStringLiteral("sslrootcert=") + quoted(t.caFile));
    return options.join(QLatin1Char(';'));
}

// Why a connection to `t` fails, asked of libpq itself (Qt keeps only the text): a database that
// is not there, a password that is wanted and missing, one that was refused, or a server that
// cannot be reached.
DbError whyNoConnection(const DatabaseTarget& t, const QString& qtText)
{
    const QByteArray host = t.host.toUtf8(), port = QByteArray::number(t.port), name = t.name.toUtf8(),
                     user = t.user.toUtf8(), password = t.password.toUtf8(), mode = t.tlsMode.toUtf8(),
                     ca = t.caFile.toUtf8(), timeout = QByteArray::number(kConnectTimeoutSeconds);
    std::vector<const char*> keys{"host", "port", "dbname", "connect_timeout"};
    std::vector<const char*> values{host.constData(), port.constData(), name.constData(), timeout.constData()};
    auto add = [&](const char* key, const QByteArray& value) {
        if (!value.isEmpty()) {
            keys.push_back(key);
            values.push_back(value.constData());
        }
    };
    add("user", user);
    add("password", password);
    add("sslmode", mode);
    add("sslrootcert", ca);
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* probe = PQconnectdbParams(keys.data(), values.data(), 0);
    // The same user and password on the server's own database: when they are let in there, the
    // server is reachable and the user known, and it is the database named that is missing (or
    // closed to the user).
    const auto databaseMissing = [&] {
        values[2] = "postgres";
        PGconn* other = PQconnectdbParams(keys.data(), values.data(), 0);
        const bool in = PQstatus(other) == CONNECTION_OK;
        PQfinish(other);
        return in && t.name != QLatin1String("postgres");
    };
    // libpq says why in English; the code says it to the user, whose advice (ErrorAdvice.h) is
    // Italian.
    Q_UNUSED(qtText);
    DbError e;
    e.description = msg::store::noConnection(t.where());
    if (PQstatus(probe) == CONNECTION_OK)
        e.number = QString::number(Database::kUnreachable);
    else if (databaseMissing())
        e.number = QString::number(Database::kNoDatabase);
    else if (PQconnectionNeedsPassword(probe))
        e.number = QString::number(Database::kPasswordNeeded);
    else if (PQconnectionUsedPassword(probe))
        e.number = QString::number(Database::kAuthentication);
    else
        e.number = QString::number(Database::kUnreachable);
    PQfinish(probe);
    return e;
}

DbError sqliteError(sqlite3* db, int rc)
{
    return {QString::number(rc), db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc))};
}

// The columns of `table` in the SQLite file, in order.
QStringList sqliteColumns(sqlite3* db, const QString& table)
{
    QStringList columns;
    sqlite3_stmt* info = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(table).toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &info, nullptr) == SQLITE_OK) {
        while (sqlite3_step(info) == SQLITE_ROW)
            columns.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(info, 1))));
    }
    sqlite3_finalize(info);
    return columns;
}

} // namespace

void* ServerEngine::handle() const
{
    if (!m_db.isOpen())
        return nullptr;
    const QVariant h = m_db.connection().driver()->handle();
    // libpq's PGconn is a typedef of struct pg_conn, the name Qt registers.
    if (!h.isValid() || (qstrcmp(h.typeName(), "pg_conn*") != 0 && qstrcmp(h.typeName(), "PGconn*") != 0))
        return nullptr;
    return *static_cast<void* const*>(h.constData());
}

bool ServerEngine::setUp(const QString& sql)
{
    QSqlQuery q(m_db.connection());
    if (q.exec(sql))
        return true;
    m_db.m_error = errorOf(q.lastError());
    return false;
}

bool ServerEngine::startSession(QSqlDatabase& db)
{
    const bool readOnly = m_access == Database::Access::ReadOnly;
    const bool exclusive = m_db.m_mode == Database::Mode::StandAlone && !readOnly;
    if (!db.open()) {
        m_db.m_error = whyNoConnection(m_db.m_target, db.lastError().text());
        return false;
    }
    // The server's notices (English, for a developer) would reach the user's standard error.
    if (auto* conn = static_cast<PGconn*>(handle()))
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr);
    // The hold first: while another workstation has the database alone nothing is read.
    const QString take = exclusive ? QStringLiteral("SELECT pg_try_advisory_lock(%1)")
                                   : QStringLiteral("SELECT pg_try_advisory_lock_shared(%1)");
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QSqlQuery hold(db);
        if (!hold.exec(take.arg(Database::kHoldKey)) || !hold.next()) {
            m_db.m_error = errorOf(hold.lastError());
            return false;
        }
        if (hold.value(0).toBool())
            break;
        // Another holds it: StandAlone is refused at once (its users are all in; the hold is for
        // the whole run), a shared holder waits a moment for an exclusive operation to end.
        if (exclusive || waited.elapsed() > kHoldWaitMs) {
            m_db.m_error = DbError::sqlite(SQLITE_BUSY);
            return false;
        }
        QThread::msleep(100);
    }
    // The server's notices ("already exists, skipping"...) are no news to the user, nor to a script reading
    // the command line's standard error.
    QStringList setup{QStringLiteral("SET lock_timeout = '%1ms'").arg(Database::kBusyTimeoutMs),
                      QStringLiteral("SET client_min_messages = warning")};
    if (readOnly)
        setup.append(QStringLiteral("SET default_transaction_read_only = on"));
    for (const QString& sql : setup) {
        if (!setUp(sql))
            return false;
    }
    return true;
}

DatabaseEngine::Session ServerEngine::keepSession()
{
    if (m_inTransaction || !QSqlDatabase::contains(m_db.m_name))
        return Session::Kept;
    QSqlDatabase db = m_db.connection();
    const auto* conn = static_cast<const PGconn*>(handle());
    if (db.isOpen() && (!conn || PQstatus(conn) == CONNECTION_OK))
        return Session::Kept;
    // The server went away (restarted, or the network dropped): a new session, the hold taken
    // again, before the next statement; a transaction that was open is lost and was reported.
    db.close();
    return startSession(db) ? Session::Renewed : Session::Lost;
}

bool ServerEngine::open(Database::Access access)
{
    m_access = access;
    QSqlDatabase db = QSqlDatabase::addDatabase(m_db.m_driver, m_db.m_name);
    db.setHostName(m_db.m_target.host);
    db.setPort(m_db.m_target.port);
    db.setDatabaseName(m_db.m_target.name);
    if (!m_db.m_target.user.isEmpty())
        db.setUserName(m_db.m_target.user);
    if (!m_db.m_target.password.isEmpty())
        db.setPassword(m_db.m_target.password);
    db.setConnectOptions(connectOptions(m_db.m_target));
    auto fail = [&](const DbError& error) {
        m_db.m_error = error;
        db = QSqlDatabase();
        m_db.close();
        return false;
    };
    if (!startSession(db))
        return fail(m_db.m_error);
    // Ours only when it holds the Request and role tables. Asked of the catalogue, which lists a
    // table whatever the user may do on it: a user without rights is told so, not that the tables
    // are missing.
    QSqlQuery tables(db);
    if (!tables.exec(QStringLiteral("SELECT count(*) FROM pg_catalog.pg_tables WHERE schemaname = "
                                    "current_schema() AND tablename IN ('domande', 'ruoli')")) ||
        !tables.next())
        return fail(errorOf(tables.lastError()));
    if (tables.value(0).toInt() != 2) {
        // Kept open: a SERVER installation may lay the schema out on it (createSchema).
        m_db.m_error = {QString::number(Database::kNoTables), msg::store::noTables(m_db.m_target.where())};
        return false;
    }
    // Every table the program reads and writes, checked now rather than at the first save (or
    // after a document was made), when the user's typing or a print would be lost.
    const QString wanted = access == Database::Access::ReadWrite ? QStringLiteral("SELECT, INSERT, UPDATE, DELETE")
                                                                 : QStringLiteral("SELECT");
    QStringList ours;
    for (const QString& table : store::schemaTables())
        ours.append(table.toLower());
    QSqlQuery rights(db);
    rights.prepare(QStringLiteral("SELECT tablename, current_user, current_schema() FROM pg_catalog.pg_tables "
                                  "WHERE schemaname = current_schema() AND tablename = ANY (string_to_array(?, ',')) "
                                  "AND EXISTS (SELECT 1 FROM unnest(string_to_array(?, ', ')) AS p(name) WHERE NOT "
                                  "has_table_privilege(format('%I.%I', schemaname, tablename), p.name)) "
                                  "ORDER BY tablename"));
    // Asked one privilege at a time: given several at once, the server answers whether any is held.
    rights.addBindValue(ours.join(QLatin1Char(',')));
    rights.addBindValue(wanted);
    if (!rights.exec())
        return fail(errorOf(rights.lastError()));
    if (rights.next()) {
        QStringList lacking;
        const QString user = rights.value(1).toString(), schemaName = rights.value(2).toString();
        do
            lacking.append(rights.value(0).toString());
        while (rights.next());
        return fail({QString::number(Database::kNoPrivileges),
                     msg::store::noPrivileges(user, m_db.m_target.where(), lacking, wanted, schemaName)});
    }
    if (access == Database::Access::ReadWrite) {
        // A session that may not write (a standby server, a database set read-only) is refused
        // here, as a file that cannot be written is.
        QSqlQuery readOnly(db);
        if (!readOnly.exec(QStringLiteral("SELECT current_setting('transaction_read_only') = 'off'")) ||
            !readOnly.next())
            return fail(errorOf(readOnly.lastError()));
        if (!readOnly.value(0).toBool())
            return fail(DbError::sqlite(SQLITE_READONLY));
    }
    return true;
}

bool ServerEngine::createSchema()
{
    return m_db.inWriteTransaction([&] {
        for (const QString& statement : store::schemaStatements(m_db.m_driver)) {
            QSqlQuery q = m_db.query();
            if (!m_db.exec(q, statement))
                return false;
        }
        return true;
    });
}

bool ServerEngine::snapshotTo(const QString& file, DbError* error)
{
    const QString temporary = file + QStringLiteral(".tmp");
    const QByteArray temporaryName = nativepath::utf8(temporary);
    QFile::remove(temporary);
    QFile::remove(temporary + QStringLiteral("-journal"));
    sqlite3* out = nullptr;
    int rc = sqlite3_open_v2(temporaryName.constData(), &out, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    DbError failure;
    auto sqliteFails = [&](int code) {
        failure = sqliteError(out, code);
        return false;
    };
    auto copy = [&] {
        if (rc != SQLITE_OK)
            return sqliteFails(rc);
        sqlite3_exec(out, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
        for (const QString& statement : store::schemaStatements(Settings::kProvider, true)) {
            if ((rc = sqlite3_exec(out, statement.toUtf8().constData(), nullptr, nullptr, nullptr)) != SQLITE_OK)
                return sqliteFails(rc);
        }
        QSqlQuery begin = m_db.query();
        if (!begin.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"))) {
            failure = errorOf(begin.lastError());
            return false;
        }
        m_inTransaction = true;
        // A database of an earlier version lacks the later tables: the copy lacks them too, so
        // that it is of the same version as its source.
        const std::optional<QStringList> present = m_db.tables();
        if (!present) {
            failure = m_db.m_error;
            return false;
        }
        bool ok = true;
        for (const QString& table : store::schemaTables()) {
            if (!present->contains(table, Qt::CaseInsensitive)) {
                const QByteArray drop = QStringLiteral("DROP TABLE %1").arg(table).toUtf8();
                if ((rc = sqlite3_exec(out, drop.constData(), nullptr, nullptr, nullptr)) != SQLITE_OK) {
                    ok = sqliteFails(rc);
                    break;
                }
                continue;
            }
            const QStringList columns = sqliteColumns(out, table);
            QSqlQuery rows = m_db.query();
            rows.setForwardOnly(true);
            if (!rows.exec(QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QLatin1Char(',')), table))) {
                failure = errorOf(rows.lastError());
                ok = false;
                break;
            }
            QStringList marks;
            marks.fill(QStringLiteral("?"), columns.size());
            const QByteArray insertSql =
                QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(QLatin1Char(','))).toUtf8();
            sqlite3_stmt* insert = nullptr;
            if ((rc = sqlite3_prepare_v2(out, insertSql.constData(), -1, &insert, nullptr)) != SQLITE_OK) {
                ok = sqliteFails(rc);
                break;
            }
            while (ok && rows.next()) {
                for (int c = 0; c < columns.size(); ++c) {
                    const QVariant v = rows.value(c);
                    if (v.isNull()) {
                        sqlite3_bind_null(insert, c + 1);
                    } else if (v.typeId() == QMetaType::QByteArray) {
                        const QByteArray b = v.toByteArray();
                        sqlite3_bind_blob(insert, c + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                    } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
                        sqlite3_bind_double(insert, c + 1, v.toDouble());
                    } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                               v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::ULongLong) {
                        sqlite3_bind_int64(insert, c + 1, v.toLongLong());
                    } else {
                        const QByteArray t = v.toString().toUtf8();
                        sqlite3_bind_text(insert, c + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                    }
                }
                if ((rc = sqlite3_step(insert)) != SQLITE_DONE)
                    ok = sqliteFails(rc);
                sqlite3_reset(insert);
            }
            sqlite3_finalize(insert);
            if (ok && rows.lastError().isValid()) {
                failure = errorOf(rows.lastError());
                ok = false;
            }
            if (!ok)
                break;
        }
        QSqlQuery end = m_db.query();
        end.exec(QStringLiteral("COMMIT"));
        m_inTransaction = false;
        if (!ok)
            return false;
        if ((rc = sqlite3_exec(out, "COMMIT", nullptr, nullptr, nullptr)) != SQLITE_OK)
            return sqliteFails(rc);
        return true;
    };
    const bool copied = copy();
    sqlite3_close(out);
    if (!copied || !putInPlace(temporary, file)) {
        QFile::remove(temporary);
        return reportDbError(error, failure.isNull() ? DbError::sqlite(SQLITE_IOERR) : failure);
    }
    return true;
}

bool ServerEngine::replaceAllFrom(const QString& file, DbError* error)
{
    sqlite3* in = nullptr;
    const int opened = sqlite3_open_v2(nativepath::utf8(file).constData(), &in, SQLITE_OPEN_READONLY, nullptr);
    int rc = opened;
    DbError failure;
    const bool replaced = opened == SQLITE_OK && m_db.inWriteTransaction([&] {
        for (const QString& table : store::schemaTables()) {
            QSqlQuery empty = m_db.query();
            if (!m_db.exec(empty, QStringLiteral("DELETE FROM ") + table))
                return false;
            const QStringList columns = sqliteColumns(in, table);
            if (columns.isEmpty())
                continue; // an older layout without this table: it stays empty
            sqlite3_stmt* rows = nullptr;
            const QByteArray select =
                QStringLiteral("SELECT %1 FROM \"%2\"").arg(columns.join(QLatin1Char(',')), table).toUtf8();
            if ((rc = sqlite3_prepare_v2(in, select.constData(), -1, &rows, nullptr)) != SQLITE_OK) {
                failure = sqliteError(in, rc);
                return false;
            }
            QStringList marks;
            marks.fill(QStringLiteral("?"), columns.size());
            QSqlQuery insert = m_db.query();
            bool ok =
                m_db.prepare(insert, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                         .arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
            while (ok && (rc = sqlite3_step(rows)) == SQLITE_ROW) {
                QVariantList values;
                for (int c = 0; c < columns.size(); ++c) {
                    switch (sqlite3_column_type(rows, c)) {
                    case SQLITE_NULL:
                        values.append(QVariant());
                        break;
                    case SQLITE_INTEGER:
                        values.append(qlonglong(sqlite3_column_int64(rows, c)));
                        break;
                    case SQLITE_FLOAT:
                        values.append(sqlite3_column_double(rows, c));
                        break;
                    case SQLITE_BLOB:
                        values.append(QByteArray(static_cast<const char*>(sqlite3_column_blob(rows, c)),
                                                 sqlite3_column_bytes(rows, c)));
                        break;
                    default:
                        values.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(rows, c)),
                                                        sqlite3_column_bytes(rows, c)));
                    }
                }
                ok = m_db.run(insert, values);
            }
            if (ok && rc != SQLITE_DONE) {
                failure = sqliteError(in, rc);
                ok = false;
            }
            sqlite3_finalize(rows);
            if (!ok)
                return false;
        }
        return true;
    });
    // The file's own error only when it is the file that failed: a server lost in the middle of
    // the copy leaves the file's last step (a row, or its end) behind, which is no error.
    if (opened != SQLITE_OK)
        failure = sqliteError(in, opened);
    sqlite3_close(in);
    if (!replaced)
        return reportDbError(error, failure.isNull() ? m_db.m_error : failure);
    return true;
}

void ServerEngine::closing(QSqlDatabase* open)
{
    m_inTransaction = false;
    // A server drops a session's advisory hold only when the session's process ends, a moment
    // after the connection closes: released here, so that what needs the database alone right
    // after this close (a restore, the assistance copy, the next start) does not meet this
    // program's own hold and refuse.
    if (open)
        QSqlQuery(*open).exec(QStringLiteral("SELECT pg_advisory_unlock_all()"));
}

DbError ServerEngine::errorOf(const QSqlError& error) const
{
    DbError e = DbError::from(error);
    // A server that went away answers nothing: no SQLSTATE, only the connection's state. libpq
    // does not always mark the connection lost at the first failure (a write on a closed socket),
    // so an error without SQLSTATE on a connection that looks sound is checked with a trivial read.
    if (!e.isServerState()) {
        const auto* conn = static_cast<const PGconn*>(handle());
        bool lost = !conn || PQstatus(conn) != CONNECTION_OK;
        if (!lost && !m_inTransaction) {
            QSqlQuery ping(m_db.connection());
            lost = !ping.exec(QStringLiteral("SELECT 1")) || PQstatus(conn) != CONNECTION_OK;
        }
        if (lost)
            e = {QString::number(Database::kUnreachable), msg::store::connectionLost(e.description)};
    }
    return e;
}

QString ServerEngine::tablesQuery() const
{
    return QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema() "
                          "AND table_type = 'BASE TABLE' ORDER BY table_name");
}

QString ServerEngine::integrityProblems()
{
    // The server keeps its own pages whole (a damaged page fails its read); what the program
    // can prove is that every table of its schema is there and reads to its end.
    // A database of an earlier version lacks the later tables until it is brought up to date.
    const std::optional<QStringList> present = m_db.tables();
    if (!present)
        return m_db.m_error.description;
    const bool current = m_db.schemaVersion() == store::schemaVersion();
    QStringList problems;
    for (const QString& table : store::schemaTables()) {
        if (!present->contains(table, Qt::CaseInsensitive)) {
            if (current)
                problems.append(table + QStringLiteral(": tabella mancante"));
            continue;
        }
        QSqlQuery q = m_db.query();
        if (!m_db.exec(q, QStringLiteral("SELECT count(*) FROM ") + table))
            problems.append(table + QStringLiteral(": ") + m_db.m_error.description);
    }
    return problems.join(QLatin1Char('\n'));
}

bool ServerEngine::inTransaction() const
{
    const auto* conn = static_cast<const PGconn*>(handle());
    return conn && PQtransactionStatus(conn) != PQTRANS_IDLE;
}

bool ServerEngine::beginWrite()
{
    QSqlQuery q = m_db.query();
    // Writers queue on the program's lock, as they queue on a SQLite file: each sees what the
    // one before it committed.
    if (!m_db.exec(q, QStringLiteral("BEGIN")))
        return false;
    m_inTransaction = true;
    QSqlQuery queue = m_db.query();
    if (!m_db.exec(queue, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(Database::kWriteKey))) {
        const DbError failure = m_db.m_error;
        QSqlQuery rollback = m_db.query();
        rollback.exec(QStringLiteral("ROLLBACK"));
        m_inTransaction = false;
        m_db.m_error = failure;
        return false;
    }
    return true;
}

bool ServerEngine::copyTo(const QString&, DbError* error)
{
    // SQLite's online backup copies a file; a server's database is copied by snapshotTo.
    return reportDbError(error, DbError::sqlite(SQLITE_MISUSE));
}

} // namespace vx
