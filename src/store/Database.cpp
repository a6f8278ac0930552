// The connection, the same on both engines: opening (the engine chosen by the target), statements
// with the fault injection and the renewal of a lost session, write transactions, the schema's
// version, and the tables' sums that prove a copy. What differs is the engine's (DatabaseEngine.h).

#include "store/Database.h"

#include "core/FieldLog.h"
#include "core/Settings.h"
#include "store/Messages.h"
#include "store/Schema.h"
#include "store/ServerEngine.h"
#include "store/SqliteEngine.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QSqlRecord>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>

namespace vx {

namespace {
QAtomicInt g_connections;
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

Database::Database()
    : m_name(QStringLiteral("vx-%1").arg(g_connections.fetchAndAddRelaxed(1))),
      m_engine(std::make_unique<SqliteEngine>(*this))
{
}

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
    if (m_target.isServer())
        m_engine = std::make_unique<ServerEngine>(*this);
    else
        m_engine = std::make_unique<SqliteEngine>(*this);
    if (!m_engine->open(access))
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

void Database::close()
{
    if (QSqlDatabase::contains(m_name)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            m_engine->closing(db.isOpen() ? &db : nullptr);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    } else {
        m_engine->closing(nullptr);
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
    switch (m_engine->keepSession()) {
    case DatabaseEngine::Session::Kept:
        return true;
    case DatabaseEngine::Session::Renewed:
        query = QSqlQuery(connection());
        if (renewed)
            *renewed = true;
        return true;
    case DatabaseEngine::Session::Lost:
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
    if (values.isEmpty() && !m_engine->preparesEveryStatement()) {
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
    if (!m_engine->mayRenewSession() || m_error.code() != kUnreachable)
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
        if (attempt > 0 || !m_engine->mayRenewSession() || m_error.code() != kUnreachable)
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
    return m_engine->errorOf(error);
}

std::optional<QStringList> Database::tables()
{
    QSqlQuery q = query();
    const QString sql = m_engine->tablesQuery();
    if (!exec(q, sql))
        return std::nullopt;
    QStringList names;
    while (q.next())
        names.append(q.value(0).toString());
    return names;
}

bool Database::inWriteTransaction(const std::function<bool()>& work)
{
    if (!m_engine->beginWrite())
        return false;
    if (work()) {
        QSqlQuery commit = query();
        const bool committed = exec(commit, QStringLiteral("COMMIT"));
        m_engine->writeEnded();
        if (committed)
            return true;
    }
    const DbError failure = m_error;
    QSqlQuery rollback = query();
    rollback.exec(QStringLiteral("ROLLBACK"));
    m_engine->writeEnded();
    m_error = failure;
    return false;
}

namespace {

// One value as the engines agree on it: the same row reads as the same text on either.
QString canonical(const QVariant& v)
{
    if (v.isNull())
        return QStringLiteral("\\N");
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(v.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return QString::fromLatin1(v.toByteArray().toHex());
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return v.toString();
    }
}

} // namespace

std::optional<QMap<QString, Database::TableSum>> Database::tableSums()
{
    QMap<QString, TableSum> sums;
    for (const QString& table : store::schemaTables()) {
        QSqlQuery rows = query();
        rows.setForwardOnly(true);
        if (!exec(rows, QStringLiteral("SELECT * FROM ") + table))
            return std::nullopt;
        QStringList texts;
        while (rows.next()) {
            QStringList fields;
            for (int c = 0; c < rows.record().count(); ++c)
                fields.append(canonical(rows.value(c)));
            texts.append(fields.join(QLatin1Char('\t')));
        }
        std::sort(texts.begin(), texts.end());
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (const QString& t : texts) {
            hash.addData(t.toUtf8());
            hash.addData(QByteArrayView("\n"));
        }
        sums.insert(table, {qint64(texts.size()), hash.result().toHex()});
    }
    return sums;
}

bool snapshotDatabase(const DatabaseTarget& source, const QString& file, DbError* error)
{
    if (!source.isServer())
        return copyDatabase(source.path, file, error);
    Database db;
    if (!db.open(source, Database::Mode::Multiutenza, Database::Access::ReadOnly))
        return reportDbError(error, db.lastError());
    return db.snapshotTo(file, error);
}

QString Database::integrityProblems()
{
    return m_engine->integrityProblems();
}

bool Database::inTransaction() const
{
    return m_engine->inTransaction();
}

sqlite3* Database::sqliteHandle() const
{
    return m_engine->sqliteHandle();
}

bool Database::copyTo(const QString& target, DbError* error)
{
    return m_engine->copyTo(target, error);
}

bool Database::snapshotTo(const QString& file, DbError* error)
{
    if (!isOpen() || file.isEmpty())
        return reportDbError(error, DbError::sqlite(SQLITE_MISUSE));
    return m_engine->snapshotTo(file, error);
}

bool Database::replaceAllFrom(const QString& file, DbError* error)
{
    if (!isOpen())
        return reportDbError(error, DbError::sqlite(SQLITE_MISUSE));
    return m_engine->replaceAllFrom(file, error);
}

bool Database::createSchema()
{
    if (!isOpen())
        return reportDbError(&m_error, DbError::sqlite(SQLITE_MISUSE));
    return m_engine->createSchema();
}

bool reportDbError(DbError* error, const DbError& e)
{
    if (error)
        *error = e;
    return false;
}

} // namespace vx
