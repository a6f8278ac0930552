#pragma once
// The spreadsheet of a Request's persons and roles: the first worksheet, the heading in row 1
// (taken from the delivered template, never read back), one person and role per row from row 2.
// Written as .xlsx; read from .xlsx and .ods (a spreadsheet program's own formats) and from the
// legacy .xls that older installations produced.
//
// The legacy .xls is read, and .xlsx written, by the spreadsheet module (SheetModule.h), loaded on
// the first file that needs it.
//
// Columns: A codice fiscale, B surname, C name, D birth date dd/mm/yyyy, E e-mail, F telephone,
// G operator group "-" code, H empty, I site, J role number.
//
// .xlsx and .ods are read by the program's own workbook reader (workbook/Workbook.h), within the
// limits of ImportLimits.h; .xls through the spreadsheet module.

#include "roles/ImportLimits.h"
#include "roles/ImportedRow.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace vx::roles {

// "ExportRichiesta_<number>.<extension>".
QString sheetFileName(qint32 numDoma, const QString& extension);
// The extensions an import looks for, in order.
QStringList importExtensions();

// The spreadsheet module's file name (it is looked for as every module is, core/Modules.h).
QString moduleFileName();
// Whether the module is there to be used (loaded, if not yet).
bool moduleAvailable();
// Whether reading the file at `path` needs the module (its extension says).
bool needsModule(const QString& path);

// The cells of the first row of the first worksheet of `templatePath`.
QStringList sheetHeading(const QString& templatePath, bool* ok);
// Writes `rows` under `heading` into `path`, through a temporary file moved into place; the file
// gets the permissions a plain write would give it.
bool writeSheet(const QString& path, const QStringList& heading, const QList<RolePerson>& rows, QString* error);
// The rows of the first worksheet from row 2 to the last row that holds anything in columns A to
// J. A row with column A empty before that is a row like any other (the verification reports it):
// it never ends the data early.
QList<ImportedRow> readSheet(const QString& path, ReadFailure& failure);

// The text a date cell stands for, as a typed date is read: "dd/mm/yyyy" of the serial day
// number. Spreadsheets count serials from 1 = 1 January 1900 and hold a 29 February 1900 that
// never was (serial 60); with `leap1900` false the count is the plain one from 30 December 1899
// (OpenDocument's). A serial that is no day between 1900 and 9999 gives the number itself, which
// the verification then reports as no date.
QString dateText(double serial, bool leap1900 = true);

} // namespace vx::roles
