#include "store/Database.h"

#include <QAtomicInt>
#include <QUrl>
#include <QUrlQuery>

namespace vx {

namespace {
QAtomicInt g_connections;
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

Database::Database() : m_name(QStringLiteral("vx-%1").arg(g_connections.fetchAndAddRelaxed(1))) {}

Database::~Database()
{
    close();
}

Database::Mode Database::modeFor(const QString& installationType)
{
    return installationType == QLatin1String("Multiutenza") ? Mode::Multiutenza : Mode::StandAlone;
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_name) && connection().isOpen();
}

bool Database::open(const QString& driver, const QString& path, Mode mode)
{
    close();
    m_driver = driver.trimmed().isEmpty() ? QStringLiteral("QSQLITE") : driver.trimmed();
    m_path = path;
    m_mode = mode;
    m_error = {};

    QSqlDatabase db = QSqlDatabase::addDatabase(m_driver, m_name);
    if (!db.isValid()) {
        m_error = {QStringLiteral("-1"), QStringLiteral("Driver di base dati non disponibile: %1").arg(m_driver)};
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        return false;
    }
    // A URI with mode=rw: SQLite must not create a missing file.
    QUrl uri = QUrl::fromLocalFile(path);
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("mode"), QStringLiteral("rw"));
    uri.setQuery(q);
    db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    const int timeout = mode == Mode::StandAlone ? 0 : kBusyTimeoutMs;
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(timeout));
    if (!db.open()) {
        m_error = DbError::from(db.lastError());
        db = QSqlDatabase();
        close();
        return false;
    }

    QStringList setup = {QStringLiteral("PRAGMA foreign_keys=OFF"), QStringLiteral("PRAGMA journal_mode=DELETE")};
    if (mode == Mode::StandAlone) {
        // Exclusive locking keeps the lock once taken; the empty exclusive transaction takes it now.
        setup = {QStringLiteral("PRAGMA locking_mode=EXCLUSIVE"), QStringLiteral("BEGIN EXCLUSIVE"),
                 QStringLiteral("COMMIT")};
    }
    setup.append(QStringLiteral("SELECT count(*) FROM sqlite_master")); // proves the file is a database
    for (const QString& sql : setup) {
        QSqlQuery query(db);
        if (!query.exec(sql)) {
            m_error = DbError::from(query.lastError());
            query = QSqlQuery();
            db = QSqlDatabase();
            close();
            return false;
        }
    }
    return true;
}

void Database::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

bool Database::exec(QSqlQuery& query, const QString& sql, const QVariantList& values)
{
    if (!query.prepare(sql)) {
        m_error = DbError::from(query.lastError());
        return false;
    }
    for (const QVariant& v : values)
        query.addBindValue(v);
    if (!query.exec()) {
        m_error = DbError::from(query.lastError());
        return false;
    }
    m_error = {};
    return true;
}

bool Database::inWriteTransaction(const std::function<bool()>& work)
{
    QSqlQuery q = query();
    if (!exec(q, QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (work()) {
        QSqlQuery commit = query();
        if (exec(commit, QStringLiteral("COMMIT")))
            return true;
    }
    const DbError failure = m_error;
    QSqlQuery rollback = query();
    rollback.exec(QStringLiteral("ROLLBACK"));
    m_error = failure;
    return false;
}

} // namespace vx
