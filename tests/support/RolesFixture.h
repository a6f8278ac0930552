#pragma once
// The persons-and-roles tests' installation: operator A-12 with its legal seat (site 1) and site 2,
// Request 100 selected, the clock in June 2026; and three persons that pass every check.

#include "Support.h"
#include "TestContext.h"

#include "requests/SelectedRequest.h"
#include "roles/RoleList.h"
#include "roles/TaxCode.h"

namespace vx::test {

inline constexpr qint32 kRequest = 100;
inline constexpr int kYear = 2026;

struct RolesFixture : InstalledContext {
    explicit RolesFixture(bool printed = false)
    {
        clock.fixed = QDateTime(QDate(kYear, 6, 1), QTime(10, 0));
        inst.addOperatorWithRequest(kRequest, printed);
        if (!open())
            qFatal("fixture: %s", qPrintable(db.lastError().description));
        state.selected = loadSelectedRequest(db, prompter, kRequest);
    }
    QList<RolePerson> rows() { return rolesOf(db, kRequest); }
};

// A person of Request 100 at operator A-12 whose codice fiscale is `cf15` with its check character;
// `date` is ddmmyyyy.
inline RolePerson person(const char* cf15, const char* cognome, const char* nome, const char* date, int sede, int ruolo)
{
    RolePerson p = rossi(kRequest);
    const QString code = QString::fromLatin1(cf15);
    p.codFiscale = code + roles::checkCharacter(code);
    p.cognome = QString::fromUtf8(cognome);
    p.nome = QString::fromUtf8(nome);
    const QString d = QString::fromLatin1(date);
    p.gg = d.mid(0, 2);
    p.mm = d.mid(2, 2);
    p.aaaa = d.mid(4, 4);
    p.email = p.nome.toLower() + QStringLiteral(".") + p.cognome.toLower() + QStringLiteral("@ente.example");
    p.sede = sede;
    p.ruolo = ruolo;
    return p;
}

inline RolePerson bianchi()
{
    return person("BNCLRA90A41L219", "BIANCHI", "LAURA", "01011990", 1, 3);
}

// A letter beyond ASCII in the name.
inline RolePerson ferrari()
{
    RolePerson p = person("FRRNCL75H15F205", "FERRARI", "NICOLÒ", "15061975", 2, 2);
    p.email = QStringLiteral("nicolo.ferrari@ente.example");
    return p;
}

} // namespace vx::test
