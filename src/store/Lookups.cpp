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

} // namespace vx
