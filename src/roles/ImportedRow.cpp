#include "roles/ImportedRow.h"

#include "roles/RoleCodes.h"

namespace vx {

void ImportedRow::setNumbers(const QString& codice, qsizetype from, const QString& sede, PerText<int>& numbers)
{
    codiceText = codice;
    codiceFrom = qBound<qsizetype>(0, from, codice.size());
    sedeText = sede;
    const auto number = [](QStringView text) {
        bool ok = false;
        const int n = text.toInt(&ok);
        return ok ? n : 0;
    };
    person.codice = numbers.of(this->codice(), number);
    person.sede = numbers.of(sede, number);
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
