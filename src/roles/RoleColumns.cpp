#include "roles/RoleColumns.h"

#include "store/Database.h"
#include "store/FastStatement.h"

#include <QStringList>

#include <array>

namespace vx {

namespace {

// clang-format off
const std::array<RoleColumn, 13> kColumns{{
    // name                           caption                            field                     key
    {QLatin1String("NumDoma"),          QLatin1String("NumDoma"),          &RolePerson::numDoma,     true},
    {QLatin1String("CodFiscale"),       QLatin1String("CodFiscale"),       &RolePerson::codFiscale,  true},
    {QLatin1String("Cognome"),          QLatin1String("Cognome"),          &RolePerson::cognome,     false},
    {QLatin1String("Nome"),             QLatin1String("Nome"),             &RolePerson::nome,        false},
    {QLatin1String("GGNasc"),           QLatin1String("GGNasc"),           &RolePerson::gg,          false},
    {QLatin1String("MMNasc"),           QLatin1String("MMNasc"),           &RolePerson::mm,          false},
    {QLatin1String("AAAANasc"),         QLatin1String("AAAANasc"),         &RolePerson::aaaa,        false},
    {QLatin1String("Email"),            QLatin1String("Email"),            &RolePerson::email,       false},
    {QLatin1String("Tel"),              QLatin1String("Tel"),              &RolePerson::tel,         false},
    {QLatin1String("GruppoOperatore"),  QLatin1String("GruppoOperatore"),  &RolePerson::gruppo,      true},
    {QLatin1String("CodiceOperatore"),  QLatin1String("CodiceOperatore"),  &RolePerson::codice,      true},
    {QLatin1String("Sede"),             QLatin1String("Sede"),             &RolePerson::sede,        true},
    {QLatin1String("Ruolo"),            QLatin1String("Ruolo"),            &RolePerson::ruolo,       true},
}};
// clang-format on

QString joined(bool keysOnly, QLatin1String suffix, QLatin1String separator)
{
    QStringList parts;
    for (const RoleColumn& c : kColumns) {
        if (!keysOnly || c.key)
            parts.append(QString(c.name) + suffix);
    }
    return parts.join(separator);
}

} // namespace

QVariant RoleColumn::value(const RolePerson& p) const
{
    return std::visit([&p](auto member) { return QVariant(p.*member); }, field);
}

void RoleColumn::read(RolePerson& p, const QVariant& stored) const
{
    if (const auto* text = std::get_if<QString RolePerson::*>(&field))
        p.** text = stored.isNull() ? QString() : stored.toString();
    else
        p.*std::get<qint32 RolePerson::*>(field) = stored.isNull() ? 0 : stored.toInt();
}

bool RoleColumn::holds(qint32 RolePerson::*member) const
{
    const auto* number = std::get_if<qint32 RolePerson::*>(&field);
    return number && *number == member;
}

namespace roles {

std::span<const RoleColumn> columns()
{
    return kColumns;
}

int indexOf(qint32 RolePerson::*member)
{
    for (size_t i = 0; i < kColumns.size(); ++i) {
        if (kColumns[i].holds(member))
            return static_cast<int>(i);
    }
    return -1;
}

QString columnList()
{
    return joined(false, QLatin1String(""), QLatin1String(", "));
}

QString insertSql(QLatin1String table, int rows)
{
    QStringList marks;
    for (size_t i = 0; i < kColumns.size(); ++i)
        marks.append(QStringLiteral("?"));
    const QString row = QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    QStringList all;
    for (int r = 0; r < rows; ++r)
        all.append(row);
    return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columnList() + QStringLiteral(") VALUES ") +
           all.join(QStringLiteral(", "));
}

QString updateSql()
{
    return QStringLiteral("UPDATE Ruoli SET ") + joined(false, QLatin1String(" = ?"), QLatin1String(", ")) +
           QStringLiteral(" WHERE ") + keyCondition();
}

QString keyCondition()
{
    return joined(true, QLatin1String(" = ?"), QLatin1String(" AND "));
}

QVariantList values(const RolePerson& person)
{
    QVariantList out;
    out.reserve(static_cast<qsizetype>(kColumns.size()));
    for (const RoleColumn& c : kColumns)
        out.append(c.value(person));
    return out;
}

QVariantList keyValues(const RolePerson& person)
{
    QVariantList out;
    for (const RoleColumn& c : kColumns) {
        if (c.key)
            out.append(c.value(person));
    }
    return out;
}

RolePerson readRow(const QSqlQuery& query, int first)
{
    RolePerson p;
    for (size_t i = 0; i < kColumns.size(); ++i)
        kColumns[i].read(p, query.value(first + static_cast<int>(i)));
    return p;
}

RolePerson readRow(FastStatement& statement, int first)
{
    RolePerson p;
    for (size_t i = 0; i < kColumns.size(); ++i) {
        const int column = first + static_cast<int>(i);
        if (const auto* text = std::get_if<QString RolePerson::*>(&kColumns[i].field))
            p.** text = statement.sharedText(column);
        else
            p.*std::get<qint32 RolePerson::*>(kColumns[i].field) = statement.integer(column);
    }
    return p;
}

RequestState requestState(Database& db, qint32 numDoma)
{
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT DomandaStampata FROM Domande WHERE NumDoma = ?"), {numDoma}))
        return RequestState::Unknown;
    if (!q.next())
        return RequestState::Gone;
    return q.value(0).toInt() != 0 ? RequestState::Printed : RequestState::Open;
}

} // namespace roles
} // namespace vx
