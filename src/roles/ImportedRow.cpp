#include "roles/ImportedRow.h"

#include "roles/RoleCodes.h"

namespace vx {

void ImportedRow::setNumbers(const QString& codice, const QString& sede)
{
    codiceText = codice;
    sedeText = sede;
    bool ok = false;
    const int c = codice.toInt(&ok);
    person.codice = ok ? c : 0;
    const int s = sede.toInt(&ok);
    person.sede = ok ? s : 0;
}

int importedRole(const QString& text)
{
    for (const roles::Role& r : roles::all()) {
        if (text == r.word || text == r.imported || text == QString::number(r.code))
            return r.code;
    }
    return 0;
}

} // namespace vx
