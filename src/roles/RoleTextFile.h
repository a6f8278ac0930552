#pragma once
// The text file of a Request's persons and roles, as other systems produce and read it: one line
// per person and role, ended by CR LF, fourteen fields each between "#" and separated by "#,#",
// in single-byte Windows-1252.
//
// Reading follows the historical rule rather than a split: after the first character, characters
// go into the current field until a "#", then three characters are skipped. So a field cannot
// hold "#", and a line with fewer fields leaves the rest empty (the verification then reports
// them). There are fifty-one field slots; a line that would fill a fifty-second is malformed.

#include "roles/ImportedRow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vx::roles {

inline constexpr int kTextFields = 14;
inline constexpr int kTextSlots = 51;

// "ExportRuoli_<number>.txt": the name under which the program folder holds the file.
QString textFileName(qint32 numDoma);

// The fields of one line as the reading rule gives them; `malformed` when more than kTextSlots.
QStringList readFields(QStringView line, bool* malformed = nullptr);
// The line of fields, without its terminator.
QString writeLine(const QStringList& fields);

// A file's text and lines are read as every delivered file's are (core/DeliveredText.h).

// The fourteen fields of `person`: `group` and `code` the Operator selected in the application,
// `operatorName` the name of the person's operator.
QStringList fieldsOf(const RolePerson& person, const QString& group, qint32 code, const QString& operatorName);
// The rows of a file's bytes, each from its line.
QList<ImportedRow> readTextFile(const QByteArray& bytes);

} // namespace vx::roles
