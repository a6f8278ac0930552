#pragma once
// The roles a person may hold at an operator, in one table: every place that shows, writes,
// reads or counts a role (the card's list and notes, the roles list, the import and export, the
// print, the transmission file, the verifier warning) reads it here, so that a new role is one
// more row of `kRoles` and nothing else.

#include <QList>
#include <QString>
#include <QStringView>
#include <QVariantList>

#include <span>

namespace vx::roles {

// Where a role is held: at the agency itself (site 0) or at one of its sites (never 0).
enum class Place { Agency, Site };

// The groups of the card's role list, each opened by its heading line.
enum class Section { Percorsi, Pcv };

struct Role {
    int code;             // the value of Ruoli.Ruolo
    QStringView word;     // in exchange files: export, print, transmission file
    QStringView text;     // in the card's list and wherever the role is named to the user
    QStringView imported; // the text an import also accepts for the role, besides the word and the code
    QStringView noteHeading;
    QStringView noteBody; // lines joined by CR LF
    Place place;
    // A Request with no person in such a role is warned about before it is printed: the agency
    // must have someone who verifies every path designed at its sites.
    bool requiredVerifier;
    Section section;
};

// Every role, in the order of the card's list.
std::span<const Role> all();
// The role of `code`, or nullptr for a code that is no role (0 among them).
const Role* find(int code);

// The list text of `code`; "" for any other code.
QString text(int code);
// The code word of `code` in exchange files; "" for any other code.
QString word(int code);
// The code of a list text; 0 for any other text.
int codeOf(const QString& text);
bool atAgency(int code);
// The notes shown under the card's role list; "" for any other code.
QString noteHeading(int code);
QString noteBody(int code);

// One entry of the card's role list: a role, or (code 0) the empty entry or a heading line.
struct ListEntry {
    int code = 0;
    QString text;
    bool operator==(const ListEntry&) const = default;
};
QList<ListEntry> listEntries();

// Counting the rows of a Request held in a required verifier role: the statement and its bound
// values (the Request's number, then the roles' codes).
QString verifierCountSql();
QVariantList verifierCountValues(qint32 numDoma);

} // namespace vx::roles
