#include "roles/RolePerson.h"

#include "roles/RoleColumns.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace vx {

QVariantList RoleKey::values(qint32 numDoma) const
{
    RolePerson p;
    p.numDoma = numDoma;
    p.codFiscale = codFiscale;
    p.gruppo = gruppo;
    p.codice = codice;
    p.sede = sede;
    p.ruolo = ruolo;
    return ruoli::keyValues(p);
}

namespace roles {

void sortByName(QList<RolePerson>& rows)
{
    // Secondary strength: case is ignored, an accent only breaks a tie between otherwise equal names.
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Italian, QLocale::Italy));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    struct Keyed {
        QCollatorSortKey surname;
        QCollatorSortKey name;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        keyed.push_back({collator.sortKey(rows[i].cognome), collator.sortKey(rows[i].nome), i});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int bySurname = a.surname.compare(b.surname);
        return bySurname != 0 ? bySurname < 0 : a.name.compare(b.name) < 0;
    });
    QList<RolePerson> sorted;
    sorted.reserve(rows.size());
    for (const Keyed& k : keyed)
        sorted.append(std::move(rows[k.index]));
    rows = std::move(sorted);
}

} // namespace roles
} // namespace vx
