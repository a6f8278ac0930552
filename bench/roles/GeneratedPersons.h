#pragma once
// Persons for the benchmarks: realistic surnames and names, random birth dates, each with the
// codice fiscale that agrees with them, in the five roles at the agency or at sites 1 to 3 of
// operator A 12 of Request 1.

#include "roles/RoleCodes.h"
#include "roles/RolePerson.h"
#include "roles/TaxCode.h"

#include <QRandomGenerator>

#include <iterator>

namespace vx::bench {

inline const char* kSurnames[] = {"ROSSI",   "BIANCHI", "VERDI",    "ESPOSITO", "COLOMBO",  "RICCI",
                                  "MARINO",  "GRECO",   "BRUNO",    "GALLO",    "CONTI",    "DE LUCA",
                                  "MANCINI", "COSTA",   "GIORDANO", "RIZZO",    "LOMBARDI", "MORETTI"};
inline const char* kNames[] = {"MARIO", "LAURA", "GIUSEPPE", "ANNA",  "FRANCESCO", "GIULIA", "LUCA",    "CHIARA",
                               "MARCO", "SARA",  "ANDREA",   "ELENA", "PAOLO",     "MARTA",  "STEFANO", "SILVIA"};

// The codice fiscale of `p` from its surname, name and birth date, born in `place` (a code whose
// three digits make persons of one date apart).
inline void giveTaxCode(RolePerson& p, bool woman, const QString& place)
{
    const QString first15 = roles::surnameCode(p.cognome) + roles::nameCode(p.nome) + p.aaaa.right(2) +
                            roles::monthLetter(p.mm) +
                            QStringLiteral("%1").arg(p.gg.toInt() + (woman ? 40 : 0), 2, 10, QLatin1Char('0')) + place;
    p.codFiscale = first15 + roles::checkCharacter(first15);
}

inline RolePerson person(QRandomGenerator& rng, int index)
{
    RolePerson p;
    p.numDoma = 1;
    p.cognome = QString::fromLatin1(kSurnames[rng.bounded(int(std::size(kSurnames)))]);
    p.nome = QString::fromLatin1(kNames[rng.bounded(int(std::size(kNames)))]);
    const int day = 1 + rng.bounded(28);
    const int month = 1 + rng.bounded(12);
    const int year = 1950 + rng.bounded(50);
    const bool woman = rng.bounded(2) == 1;
    p.gg = QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0'));
    p.mm = QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    p.aaaa = QString::number(year);
    giveTaxCode(p, woman, QStringLiteral("L%1").arg(100 + index % 900));
    p.email = QStringLiteral("persona%1@ente.example").arg(index);
    p.tel = QStringLiteral("011%1").arg(5550000 + index);
    p.gruppo = QStringLiteral("A");
    p.codice = 12;
    p.ruolo = 1 + index % 5;
    p.sede = roles::atAgency(p.ruolo) ? 0 : 1 + index % 3;
    return p;
}

} // namespace vx::bench
