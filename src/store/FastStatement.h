#pragma once
// One statement run many times with new values each time: the per-row writes of the bulk loads.
//
// On SQLite it is prepared once on the connection's own handle and its values are bound as the
// engine keeps them (UTF-8 text, 64-bit integer, real, null), with no QVariant or UTF-16 copy
// on the way: for loads of tens of thousands of rows that per-value cost is most of the time.
// On any other driver it is a plain prepared QSqlQuery with the same behaviour, so callers
// never know which one they have.
//
// Invariants: each run() counts as one statement for the connection's fault injection, exactly
// as Database::run does; a failure leaves SQLite's (or the driver's) code and message in
// Database::lastError(), so callers handle it as any other statement's; the statement is
// finalized when the object goes, which must be before the connection is closed. Text is
// always bound as text, an empty one as '' (never null): null is asked for with bindNull.

#include <QByteArray>
#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QStringView>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vx {

class Database;

class FastStatement {
public:
    // Portable forces the QSqlQuery path even on SQLite (for the tests that hold both to the
    // same results).
    enum class Path { Best, Portable };

    explicit FastStatement(Database& db, Path path = Path::Best);
    ~FastStatement();
    FastStatement(const FastStatement&) = delete;
    FastStatement& operator=(const FastStatement&) = delete;

    // `sql` is plain SQL with `?` placeholders. False (and the error kept) when it cannot be prepared.
    bool prepare(const QString& sql);

    // The values of the next run, by position from 0; they stay bound until bound again.
    void bindText(int i, QStringView text);
    void bindInt(int i, qint64 value);
    void bindDouble(int i, double value);
    void bindNull(int i);
    // A QVariant as Qt SQL would bind it: null, whole numbers, reals, anything else as text.
    void bind(int i, const QVariant& value);

    // Runs the statement once with the values bound. A query is left on its first row.
    bool run();
    // The rows of a query: true while there is one (the first next() after run() gives the first).
    // False also when reading failed: `failed()` then tells the one from the other.
    bool next();
    bool failed() const { return m_failed; }
    QVariant value(int column) const;
    // A value read as a text (null: an empty text) or a number (null: 0), without a QVariant
    // in between where the engine's handle is at hand; as value(column).toString() and .toInt().
    QString text(int column) const;
    int integer(int column) const;
    // The same text, shared with the earlier rows' equal ones when it is short (a day, a month, a
    // year, a group: few distinct values over many rows), rather than made anew for each row.
    QString sharedText(int column);
    // The rows the last run inserted, changed or deleted.
    qint64 changes() const { return m_changes; }

    bool isNative() const { return m_stmt != nullptr; }

private:
    void reset();
    bool fail();

    Database& m_db;
    Path m_path;
    sqlite3* m_handle = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    // One UTF-8 buffer per parameter, kept so that the engine need not copy the text.
    std::vector<QByteArray> m_text;
    bool m_active = false;  // stepped and not yet reset
    bool m_pending = false; // run() stepped onto a row that next() has not given yet
    bool m_onRow = false;
    bool m_failed = false; // the last run() or next() failed
    // Whether the engine's handle is on a row whose `column` holds a value of SQLite's `type`.
    bool holds(int column, int type) const;

    qint64 m_changes = 0;
    QHash<quint64, QString> m_shortTexts;
    // The portable path.
    QSqlQuery m_query;
    QVariantList m_values;
};

} // namespace vx
