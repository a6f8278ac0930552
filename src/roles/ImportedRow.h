#pragma once
// A person and role as an import file gives it, before the verification: the person as it would
// be stored, and the texts of the numeric columns as the file held them, so that a site or an
// operator code that is no number is reported rather than read as 0.

#include "roles/RolePerson.h"

#include <QString>

namespace vx {

struct ImportedRow {
    RolePerson person;
    QString codiceText;     // CodiceOperatore as written in the file
    QString sedeText;       // Sede as written in the file
    bool malformed = false; // a text line with more fields than a line may hold

    // Sets the person's operator code and site from their texts (0 when not a number).
    void setNumbers(const QString& codice, const QString& sede);
};

// The role of a file's role text: a code word, the number, or the text an import also accepts.
// 0 when none of them.
int importedRole(const QString& text);

} // namespace vx
