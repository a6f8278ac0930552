#include "store/Lookups.h"

#include "core/Prompter.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"

#include <cmath>
#include <limits>

namespace vx {

QString NonNull(const QVariant& value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return value.toString().trimmed();
}

qint32 NonNull_Num(const QVariant& value, Prompter& prompter)
{
    if (value.isNull())
        return 0;
    bool ok = false;
    double number = 0;
    if (value.typeId() == QMetaType::QString)
        number = value.toString().trimmed().toDouble(&ok);
    else if (value.canConvert<double>())
        number = value.toDouble(&ok);
    if (ok && std::isfinite(number) && number >= std::numeric_limits<qint32>::min() &&
        number <= std::numeric_limits<qint32>::max())
        return static_cast<qint32>(std::nearbyint(number));
    prompter.tell(QStringLiteral("ANOMALIA: parametro non numerico"), QStringLiteral("NonNull_Num"), Icon::Critical);
    return 0;
}

namespace {
QString provinceColumn(Database& db, Prompter& prompter, const QString& province, const char* sql, const char* routine)
{
    QSqlQuery query = db.query();
    if (!db.exec(query, QString::fromLatin1(sql), {province})) {
        reportRoutineFailure(prompter, QString::fromLatin1(routine), db.lastError());
        return QString();
    }
    return query.next() ? NonNull(query.value(0)) : QString();
}
} // namespace

QString RecuperaDesProv(Database& db, Prompter& prompter, const QString& province)
{
    return provinceColumn(db, prompter, province, "SELECT DESPROV FROM Province WHERE PROV = ?", "RecuperaDesProv");
}

QString RecuperaSigProv(Database& db, Prompter& prompter, const QString& province)
{
    return provinceColumn(db, prompter, province, "SELECT SIGPROV FROM Province WHERE PROV = ?", "RecuperaSigProv");
}

qint32 leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i].unicode() >= '0' && text[i].unicode() <= '9'; ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > std::numeric_limits<qint32>::max())
            return 0;
    }
    return static_cast<qint32>(negative ? -value : value);
}

QString fixedWidth(const QString& text, int width)
{
    if (text.size() >= width)
        return text.left(width);
    return text + QString(width - text.size(), QLatin1Char(' '));
}

QString splitElement(const QString& text, const QString& separator, int index)
{
    if (text.isEmpty() || index < 0)
        return QString();
    const QStringList parts = text.split(separator);
    return index < parts.size() ? parts.at(index).trimmed() : QString();
}

bool isPrinted(Database& db, qint32 number)
{
    QSqlQuery query = db.query();
    if (!db.exec(query, QStringLiteral("SELECT DomandaStampata FROM Domande WHERE NumDoma = ?"), {number}))
        return false;
    return query.next() && query.value(0).toInt() != 0;
}

QString operatorName(Database& db, const QString& group, qint32 code)
{
    QSqlQuery query = db.query();
    if (!db.exec(query, QStringLiteral("SELECT Denominazione FROM CorsiOper WHERE GrupOpe = ? AND Operatore = ?"),
                 {group, code}))
        return QString();
    return query.next() ? NonNull(query.value(0)) : QString();
}

namespace {
const QString kTwoBlanks = QStringLiteral("  ");
const QString kNameSeparator = QStringLiteral("      - ");
} // namespace

QString OperatorEntry::display() const
{
    return group + kTwoBlanks + QString::number(code) + kTwoBlanks + name;
}

OperatorEntry OperatorEntry::fromDisplay(const QString& text)
{
    OperatorEntry e;
    e.group = text.left(1);
    e.code = splitElement(text, kTwoBlanks, 1).toInt();
    // The name is everything after the second separator, so that a name holding two blanks stays whole.
    const qsizetype first = text.indexOf(kTwoBlanks);
    const qsizetype second = first < 0 ? -1 : text.indexOf(kTwoBlanks, first + 2);
    e.name = second < 0 ? QString() : text.mid(second + 2).trimmed();
    return e;
}

QString OperatorEntry::text() const
{
    return group + QLatin1Char('-') + QString::number(code) + kNameSeparator + name;
}

bool OperatorEntry::parse(const QString& text, QString& group, qint32& code)
{
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (dash < 0)
        return false;
    const QString letter = text.left(dash).trimmed().toUpper();
    if (letter.size() != 1 || letter.at(0) < QLatin1Char('A') || letter.at(0) > QLatin1Char('Z'))
        return false;
    // The code runs from the dash to the blanks before the name (or to the end).
    qsizetype end = dash + 1;
    while (end < text.size() && text.at(end) >= QLatin1Char('0') && text.at(end) <= QLatin1Char('9'))
        ++end;
    if (end == dash + 1 || (end < text.size() && !text.at(end).isSpace()))
        return false;
    bool ok = false;
    const qint32 number = text.mid(dash + 1, end - dash - 1).toInt(&ok);
    if (!ok)
        return false;
    group = letter;
    code = number;
    return true;
}

std::optional<QList<OperatorEntry>> readOperators(Database& db, const QString& group, qint32 code)
{
    QSqlQuery query = db.query();
    const QString select = QStringLiteral("SELECT GrupOpe, Operatore, Denominazione FROM CorsiOper");
    const bool read = group.isEmpty() ? db.exec(query, select + QStringLiteral(" ORDER BY GrupOpe, Operatore"))
                                      : db.exec(query, select + QStringLiteral(" WHERE GrupOpe = ? AND Operatore = ?"),
                                                {group, code});
    if (!read)
        return std::nullopt;
    QList<OperatorEntry> list;
    while (query.next())
        list.append({NonNull(query.value(0)).trimmed(), query.value(1).toInt(), NonNull(query.value(2)).trimmed()});
    return list;
}

std::optional<bool> requestExists(Database& db, qint32 number)
{
    QSqlQuery query = db.query();
    if (!db.exec(query, QStringLiteral("SELECT 1 FROM Domande WHERE NumDoma = ?"), {number}))
        return std::nullopt;
    return query.next();
}

} // namespace vx
