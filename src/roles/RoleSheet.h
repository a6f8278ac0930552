#pragma once
// The spreadsheet of a Request's persons and roles: the first worksheet, the heading in row 1
// (taken from the delivered template, never read back), one person and role per row from row 2.
// Written as .xlsx; read from .xlsx and .ods (a spreadsheet program's own formats) and from the
// legacy .xls that older installations produced.
//
// Columns: A codice fiscale, B surname, C name, D birth date dd/mm/yyyy, E e-mail, F telephone,
// G operator group "-" code, H empty, I site, J role number.

#include "roles/ImportedRow.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vx::rolesheet {

// "ExportRichiesta_<number>.<extension>".
QString fileName(qint32 numDoma, const QString& extension);
// The extensions an import looks for, in order.
QStringList importExtensions();

// The cells of the first row of the first worksheet of `templatePath`.
QStringList heading(const QString& templatePath, bool* ok);
// Writes `rows` under `heading` into `path`, through a temporary file moved into place.
bool write(const QString& path, const QStringList& heading, const QList<RolePerson>& rows, QString* error);
// The rows of the first worksheet from row 2 to the first empty column A.
QList<ImportedRow> read(const QString& path, bool* ok, QString* error);

// The text a date cell stands for, as a typed date is read: "dd/mm/yyyy" of the serial day
// number that spreadsheets count from 30 December 1899.
QString dateText(double serial);

} // namespace vx::rolesheet
