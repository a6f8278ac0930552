#include "store/FastStatement.h"

#include <QStringDecoder>

#include "store/Database.h"

#include <sqlite3.h>

#include <cstring>

namespace vx {

namespace {
// A stored text as it is: QString::fromUtf8 takes a leading byte-order mark for the encoding's
// and drops it, but in a stored value it is a character of the value.
QString storedText(const char* bytes, int size)
{
    if (size >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF')
        return QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom)
            .decode(QByteArrayView(bytes, size));
    return QString::fromUtf8(bytes, size);
}
} // namespace

namespace {
// Bound for an empty text: a null pointer would bind NULL.
const char kEmpty[] = "";
} // namespace

FastStatement::FastStatement(Database& db, Path path) : m_db(db), m_path(path) {}

FastStatement::~FastStatement()
{
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

bool FastStatement::prepare(const QString& sql)
{
    if (m_stmt) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
    m_active = m_pending = m_onRow = false;
    m_changes = 0;
    m_handle = m_path == Path::Best ? m_db.sqliteHandle() : nullptr;
    if (!m_handle) {
        m_query = m_db.query();
        m_query.setForwardOnly(true);
        m_values.clear();
        return m_db.prepare(m_query, sql);
    }
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_handle, text.constData(), int(text.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        m_db.setError({QString::number(rc), QString::fromUtf8(sqlite3_errmsg(m_handle))});
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        return false;
    }
    m_text.assign(size_t(sqlite3_bind_parameter_count(m_stmt)), QByteArray());
    return true;
}

void FastStatement::reset()
{
    if (m_stmt && m_active)
        sqlite3_reset(m_stmt);
    m_active = m_pending = m_onRow = false;
}

void FastStatement::bindText(int i, QStringView text)
{
    if (!m_stmt) {
        if (m_values.size() <= i)
            m_values.resize(i + 1);
        QString value = text.toString();
        m_values[i] = value.isNull() ? QStringLiteral("") : value;
        return;
    }
    reset();
    if (i < 0 || size_t(i) >= m_text.size())
        return; // no such parameter: the engine would refuse it as well
    if (text.isEmpty()) {
        sqlite3_bind_text(m_stmt, i + 1, kEmpty, 0, SQLITE_STATIC);
        return;
    }
    QByteArray& buffer = m_text[size_t(i)];
    // The files are almost all ASCII: copied as it is, the rest through Qt's encoder.
    const qsizetype n = text.size();
    buffer.resize(n);
    char* out = buffer.data();
    const char16_t* in = text.utf16();
    qsizetype k = 0;
    for (; k < n && in[k] < 0x80; ++k)
        out[k] = char(in[k]);
    if (k < n)
        buffer = text.toUtf8();
    sqlite3_bind_text(m_stmt, i + 1, buffer.constData(), int(buffer.size()), SQLITE_STATIC);
}

void FastStatement::bindInt(int i, qint64 value)
{
    if (!m_stmt) {
        if (m_values.size() <= i)
            m_values.resize(i + 1);
        m_values[i] = QVariant(qlonglong(value));
        return;
    }
    reset();
    sqlite3_bind_int64(m_stmt, i + 1, value);
}

void FastStatement::bindDouble(int i, double value)
{
    if (!m_stmt) {
        if (m_values.size() <= i)
            m_values.resize(i + 1);
        m_values[i] = QVariant(value);
        return;
    }
    reset();
    sqlite3_bind_double(m_stmt, i + 1, value);
}

void FastStatement::bindNull(int i)
{
    if (!m_stmt) {
        if (m_values.size() <= i)
            m_values.resize(i + 1);
        m_values[i] = QVariant(QMetaType::fromType<QString>());
        return;
    }
    reset();
    sqlite3_bind_null(m_stmt, i + 1);
}

void FastStatement::bind(int i, const QVariant& value)
{
    // Null as Qt SQL takes it: an empty QVariant, or a null text or byte array in one.
    const int type = value.typeId();
    if (!value.isValid() || value.isNull() ||
        (type == QMetaType::QString && static_cast<const QString*>(value.constData())->isNull()) ||
        (type == QMetaType::QByteArray && static_cast<const QByteArray*>(value.constData())->isNull())) {
        bindNull(i);
        return;
    }
    switch (type) {
    case QMetaType::Bool:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        bindInt(i, value.toLongLong());
        return;
    case QMetaType::Float:
    case QMetaType::Double:
        bindDouble(i, value.toDouble());
        return;
    default:
        bindText(i, value.toString());
    }
}

bool FastStatement::fail()
{
    const int rc = sqlite3_errcode(m_handle);
    m_db.setError({QString::number(rc), QString::fromUtf8(sqlite3_errmsg(m_handle))});
    reset();
    m_failed = true;
    return false;
}

bool FastStatement::run()
{
    m_failed = false;
    if (!m_stmt) {
        // Through the database, which injects its faults and renews a lost server session.
        if (!m_db.run(m_query, m_values)) {
            m_failed = true;
            return false;
        }
        m_changes = m_query.isSelect() ? 0 : m_query.numRowsAffected();
        return true;
    }
    if (m_db.faultTakes()) {
        m_failed = true;
        return false;
    }
    reset();
    const int rc = sqlite3_step(m_stmt);
    m_active = true;
    if (rc == SQLITE_ROW) {
        m_pending = true;
        m_changes = 0;
    } else if (rc == SQLITE_DONE) {
        m_changes = sqlite3_changes(m_handle);
        reset();
    } else {
        return fail();
    }
    m_db.setError({});
    return true;
}

bool FastStatement::next()
{
    if (!m_stmt) {
        if (m_query.isActive() && m_query.next())
            return true;
        if (m_query.lastError().isValid()) {
            m_db.setError(m_db.errorOf(m_query.lastError()));
            m_failed = true;
        }
        return false;
    }
    if (m_pending) {
        m_pending = false;
        m_onRow = true;
        return true;
    }
    if (!m_active)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        m_onRow = true;
        return true;
    }
    if (rc != SQLITE_DONE)
        return fail();
    reset();
    return false;
}

QVariant FastStatement::value(int column) const
{
    if (!m_stmt)
        return m_query.value(column);
    if (!m_onRow || column < 0 || column >= sqlite3_column_count(m_stmt))
        return {};
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, column)),
                          sqlite3_column_bytes(m_stmt, column));
    case SQLITE_NULL:
        return {};
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return storedText(text, sqlite3_column_bytes(m_stmt, column));
    }
    }
}

bool FastStatement::holds(int column, int type) const
{
    return m_stmt && m_onRow && column >= 0 && column < sqlite3_column_count(m_stmt) &&
           sqlite3_column_type(m_stmt, column) == type;
}

QString FastStatement::text(int column) const
{
    if (!holds(column, SQLITE_TEXT))
        return value(column).toString();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return storedText(text, sqlite3_column_bytes(m_stmt, column));
}

int FastStatement::integer(int column) const
{
    if (!holds(column, SQLITE_INTEGER))
        return value(column).toInt();
    return QVariant(qlonglong(sqlite3_column_int64(m_stmt, column))).toInt();
}

QString FastStatement::sharedText(int column)
{
    constexpr int kShort = 7; // bytes, with the length, in one 64-bit key
    if (!holds(column, SQLITE_TEXT))
        return text(column);
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    if (size > kShort)
        return storedText(bytes, size);
    quint64 key = quint64(size);
    std::memcpy(reinterpret_cast<char*>(&key) + 1, bytes, std::size_t(size));
    auto known = m_shortTexts.constFind(key);
    if (known == m_shortTexts.constEnd())
        known = m_shortTexts.insert(key, storedText(bytes, size));
    return *known;
}

} // namespace vx
