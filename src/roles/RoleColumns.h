#pragma once
// The columns of Ruoli (and of its import twin RuoliImport), in one table: the roles list, the
// card, the command line and later the import, export, print and transmission file read, bind,
// caption and size them from here, so that a new column is one more row of the table.
//
// The statements built here hold only these constant names and "?" marks; values are bound.

#include "roles/RolePerson.h"

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <span>
#include <variant>

namespace vx {

class Database;
class FastStatement;

struct RoleColumn {
    QLatin1String name;    // the column of the table
    QLatin1String caption; // the roles list's heading
    std::variant<QString RolePerson::*, qint32 RolePerson::*> field;
    bool key; // part of the row's identity

    // The value as bound and as shown.
    QVariant value(const RolePerson& person) const;
    // Reads a stored value; NULL reads as "" or 0.
    void read(RolePerson& person, const QVariant& stored) const;
    bool holds(qint32 RolePerson::*member) const;
};

namespace roles {

// Every column, in table order.
std::span<const RoleColumn> columns();
// The index of the column of `member`; -1 when none.
int indexOf(qint32 RolePerson::*member);

// "NumDoma, CodFiscale, ..." in table order.
QString columnList();
// "INSERT INTO <table> (<columns>) VALUES (?, ...)"; `table` is Ruoli or RuoliImport.
// With `rows` > 1, one statement inserting that many rows: a server answers each statement over the
// network, and a file's engine takes the rows as fast either way.
QString insertSql(QLatin1String table = QLatin1String("Ruoli"), int rows = 1);
// "UPDATE Ruoli SET <column> = ?, ... WHERE <key condition>": the row's values, then its old key's.
QString updateSql();
// "NumDoma = ? AND CodFiscale = ? AND ...": the identity of a row.
QString keyCondition();
// Every column's value of `person`, in table order.
QVariantList values(const RolePerson& person);
// The key columns' values of `person`, in table order.
QVariantList keyValues(const RolePerson& person);
// A row read from `query`, whose columns are `columnList()` from `first` on.
RolePerson readRow(const QSqlQuery& query, int first = 0);
RolePerson readRow(FastStatement& statement, int first = 0);

// What a write of a Request's rows must know first, read in the write's own transaction: whether
// the Request is still there, and whether it is printed in definitive form (its rows locked).
enum class RequestState { Unknown, Gone, Open, Printed };
// Unknown when the read fails (the error is the database's).
RequestState requestState(Database& db, qint32 numDoma);

} // namespace roles
} // namespace vx
