#pragma once
// A person and role as an import file gives it, before the verification: the person as it would
// be stored, and the texts of the numeric columns as the file held them, so that a site or an
// operator code that is no number is reported rather than read as 0.

#include "roles/PerText.h"
#include "roles/RolePerson.h"

#include <QString>

namespace vx {

struct ImportedRow {
    RolePerson person;
    QString codiceText;       // CodiceOperatore as written in the file, from codiceFrom on
    qsizetype codiceFrom = 0; // a workbook's "A-123" is kept whole: the code starts after the hyphen
    QString sedeText;         // Sede as written in the file
    bool malformed = false;   // a text line with more fields than a line may hold

    QStringView codice() const { return QStringView(codiceText).mid(codiceFrom); }

    // Sets the texts of the operator code (from `from` in `codice`) and of the site, and the
    // person's numbers from them (0 when not a number). `numbers` carries the numbers of long
    // texts already read from the same file.
    void setNumbers(const QString& codice, qsizetype from, const QString& sede, PerText<int>& numbers);
};

// The role of a file's role text: a code word, the number, or the text an import also accepts.
// 0 when none of them.
int importedRole(const QString& text);

} // namespace vx
