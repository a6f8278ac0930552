#pragma once
// A person with one role at the operator of a Request, at the agency itself (site 0) or at one
// of its sites: one row of Ruoli. Its columns are listed once in RoleColumns.h, its roles once in
// RoleCodes.h.

#include "roles/RoleCodes.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace vx {

struct RolePerson {
    qint32 numDoma = 0;
    QString codFiscale;
    QString cognome;
    QString nome;
    QString gg;
    QString mm;
    QString aaaa;
    QString email;
    QString tel;
    QString gruppo;
    qint32 codice = 0;
    qint32 sede = 0;
    qint32 ruolo = 0;

    bool operator==(const RolePerson&) const = default;
};

// The identity of a row besides its Request. An empty codice fiscale stands for a new row.
struct RoleKey {
    QString codFiscale;
    QString gruppo;
    qint32 codice = 0;
    qint32 sede = 0;
    qint32 ruolo = 0;

    // The key columns' values of this row of Request `numDoma`, in the order of the key condition.
    QVariantList values(qint32 numDoma) const;

    bool isNew() const { return codFiscale.isEmpty(); }
    static RoleKey of(const RolePerson& p) { return {p.codFiscale, p.gruppo, p.codice, p.sede, p.ruolo}; }
    bool operator==(const RoleKey&) const = default;
};

namespace roles {

// Orders rows as an Italian reader looks for a name: by surname, then name, ignoring case and
// with accented letters among their base letters. Rows with the same surname and name keep their
// order, so a caller sorts its statement by whatever breaks the tie.
void sortByName(QList<RolePerson>& rows);

// The surname and name without the blanks (and no-break spaces, as spreadsheets copy them) around
// them, nothing else changed: done once, where a person enters, from the card and from a file alike.
void trimNames(RolePerson& person);

// The person's fields as the text export and the transmission file write them, in their order:
// codice fiscale, surname, name, birth date (ddmmyyyy), e-mail, telephone, operator's group and
// code, `operatorName`, site, role (its word).
QStringList writtenFields(const RolePerson& person, const QString& operatorName);

} // namespace roles
} // namespace vx

// Numbers and implicitly shared texts: moved in memory as they are, when a list of them grows.
Q_DECLARE_TYPEINFO(vx::RolePerson, Q_RELOCATABLE_TYPE);
