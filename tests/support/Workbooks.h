#pragma once
// Workbooks laid out part by part, as office programs write them, for the tests of the readers
// and of the import.

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace vx::test {

// A zip archive of `entries` (name, bytes), deflated; false when it could not be written.
bool writeZip(const QString& path, const QList<std::pair<QByteArray, QByteArray>>& entries);

// The entries of a zip archive (name, bytes); empty when it cannot be read.
QList<std::pair<QByteArray, QByteArray>> readZip(const QString& path);

// An .xlsx made of `sheet` (the rows inside <sheetData>) and the shared strings `strings` (the <si>
// elements); `workbookProperties` the attributes of its <workbookPr/> ("" for none). Style 1 shows
// a date.
bool writeXlsx(const QString& path, const QByteArray& sheet, const QByteArray& strings = QByteArray(),
               const QByteArray& workbookProperties = QByteArray());

// An .ods whose first table holds `rows` (its table:table-row elements, with the prefixes table,
// text and office), and a second table holding `secondTable`.
bool writeOds(const QString& path, const QByteArray& rows, const QByteArray& secondTable = QByteArray());

} // namespace vx::test
