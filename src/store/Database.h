#pragma once
// The one connection of a run, opened in the installation's mode.
//
// "StandAlone": the file is held exclusively from the open until the close, so a second program
// on the same file cannot read or write it. "Multiutenza": normal locking, rollback journal and a
// busy timeout, so several workstations can share the file (also on a network share).
// Opening never creates a file: a missing database is an error, not a new empty one.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>

#include <functional>

namespace vx {

struct DbError {
    QString number;
    QString description;

    bool isNull() const { return number.isEmpty() && description.isEmpty(); }
    static DbError from(const QSqlError& error);
};

class Database {
public:
    enum class Mode { StandAlone, Multiutenza };
    static constexpr int kBusyTimeoutMs = 5000;
    static constexpr int kSqliteBusy = 5;

    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    static Mode modeFor(const QString& installationType);

    // `driver` is the Qt SQL driver named by the installation (empty means QSQLITE).
    bool open(const QString& driver, const QString& path, Mode mode);
    void close();
    bool isOpen() const;

    const DbError& lastError() const { return m_error; }
    // True when the last open failed because another program holds the file.
    bool lastOpenWasLocked() const { return (m_error.number.toInt() & 0xff) == kSqliteBusy; }

    QString path() const { return m_path; }
    Mode mode() const { return m_mode; }
    QSqlDatabase connection() const;
    QSqlQuery query() const { return QSqlQuery(connection()); }

    // Prepares, binds `values` in order and runs `sql`; on failure keeps the error.
    bool exec(QSqlQuery& query, const QString& sql, const QVariantList& values = {});
    // Runs `work` in one write transaction, taken at once (so that two workstations queue up):
    // committed when `work` gives true, rolled back otherwise. The error of the failing step is kept.
    bool inWriteTransaction(const std::function<bool()>& work);

private:
    QString m_name;
    QString m_driver;
    QString m_path;
    Mode m_mode = Mode::StandAlone;
    DbError m_error;
};

} // namespace vx
