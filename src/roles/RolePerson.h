#pragma once
// A person with one role at the operator of a Request, at the agency itself (site 0) or at one
// of its sites: one row of Ruoli.

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
    int sede = 0;
    int ruolo = 0;

    bool operator==(const RolePerson&) const = default;
};

// The identity of a row besides its Request. An empty codice fiscale stands for a new row.
struct RoleKey {
    QString codFiscale;
    QString gruppo;
    qint32 codice = 0;
    int sede = 0;
    int ruolo = 0;

    // The condition that finds a row of Ruoli by its identity, and its bound values in order.
    static inline const QString kWhere = QStringLiteral("NumDoma = ? AND CodFiscale = ? AND GruppoOperatore = ? AND "
                                                        "CodiceOperatore = ? AND Sede = ? AND Ruolo = ?");
    QVariantList values(qint32 numDoma) const { return {numDoma, codFiscale, gruppo, codice, sede, ruolo}; }

    bool isNew() const { return codFiscale.isEmpty(); }
    static RoleKey of(const RolePerson& p) { return {p.codFiscale, p.gruppo, p.codice, p.sede, p.ruolo}; }
    bool operator==(const RoleKey&) const = default;
};

namespace roles {

constexpr int kCount = 5;
// "Progettista di Percorsi Formativi (ENTE)" ... ; "" for any other code.
QString text(int code);
// The code of a role text; 0 for any other text.
int codeOf(const QString& text);
// Roles 1 and 5 belong to the agency (site 0), 2, 3 and 4 to a site.
bool atAgency(int code);
// The entries of the card's role list, separators included.
QStringList listEntries();
// The notes shown under the role list: a heading and its lines.
QString noteHeading(int code);
QString noteBody(int code);

} // namespace roles
} // namespace vx
