#include "roles/RolePerson.h"

#include "roles/RoleColumns.h"

#include "core/Collation.h"

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
    return roles::keyValues(p);
}

namespace roles {

namespace {
// Whether `text` holds only ASCII letters, digits, blanks and apostrophes: names whose order under
// the collator below is the plain order of their characters once the letters are of one case
// (blank, then apostrophe, then digits, then letters, a shorter name before a longer one it
// begins). Most names are such, and comparing them costs a fraction of a collation key.
bool plainName(const QString& text)
{
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u' ' ||
              c == u'\''))
            return false;
    }
    return true;
}

int comparePlain(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive);
}

// The list's order: surname first, then name, each compared by `compare`.
template <typename Text, typename Compare>
bool nameBefore(const Text& surnameA, const Text& nameA, const Text& surnameB, const Text& nameB, Compare compare)
{
    const int bySurname = compare(surnameA, surnameB);
    return bySurname != 0 ? bySurname < 0 : compare(nameA, nameB) < 0;
}

template <typename Key, typename Compare> void sortBy(QList<RolePerson>& rows, Key key, Compare compare)
{
    struct Keyed {
        decltype(key(rows[0].cognome)) surname;
        decltype(key(rows[0].nome)) name;
        qsizetype index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i)
        keyed.push_back({key(rows[i].cognome), key(rows[i].nome), i});
    std::stable_sort(keyed.begin(), keyed.end(), [&compare](const Keyed& a, const Keyed& b) {
        return nameBefore(a.surname, a.name, b.surname, b.name, compare);
    });
    QList<RolePerson> sorted;
    sorted.reserve(rows.size());
    for (const Keyed& k : keyed)
        sorted.append(std::move(rows[k.index]));
    rows = std::move(sorted);
}
} // namespace

namespace {
QString withoutBlanksAround(const QString& text)
{
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QChar(0xA0); };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return from == 0 && to == text.size() ? text : text.mid(from, to - from);
}
} // namespace

QStringList writtenFields(const RolePerson& p, const QString& operatorName)
{
    return {p.codFiscale, p.cognome,
            p.nome,       p.gg + p.mm + p.aaaa,
            p.email,      p.tel,
            p.gruppo,     QString::number(p.codice),
            operatorName, QString::number(p.sede),
            word(p.ruolo)};
}

void trimNames(RolePerson& person)
{
    person.cognome = withoutBlanksAround(person.cognome);
    person.nome = withoutBlanksAround(person.nome);
}

void sortByName(QList<RolePerson>& rows)
{
    if (std::all_of(rows.cbegin(), rows.cend(),
                    [](const RolePerson& p) { return plainName(p.cognome) && plainName(p.nome); })) {
        // Names of one case come from the statement in this order already: nothing to move.
        const auto before = [](const RolePerson& a, const RolePerson& b) {
            return nameBefore(a.cognome, a.nome, b.cognome, b.nome, comparePlain);
        };
        if (std::is_sorted(rows.cbegin(), rows.cend(), before))
            return;
        sortBy(
            rows, [](const QString& s) { return s; }, comparePlain);
        return;
    }
    // Secondary strength: case is ignored, an accent only breaks a tie between otherwise equal names.
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Italian, QLocale::Italy));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    if constexpr (collation::kSortKeysOrderTexts) {
        sortBy(
            rows, [](const QString& s) { return collator.sortKey(s); },
            [](const QCollatorSortKey& a, const QCollatorSortKey& b) { return a.compare(b); });
    } else {
        sortBy(
            rows, [](const QString& s) { return s; },
            [](const QString& a, const QString& b) { return collator.compare(a, b); });
    }
}

} // namespace roles
} // namespace vx
