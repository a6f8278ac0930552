#include "roles/RoleCodes.h"

#include <array>

namespace vx::roles {

namespace {

// clang-format off
constexpr std::array<Role, 5> kRoles{{
    {1, u"PROGETTISTA_PERCORSI_FORM", u"Progettista di Percorsi Formativi (ENTE)",
     u"Progettista di Percorsi Formativi (ENTE)",
     u"Progettista di Percorsi Formativi (ENTE):",
     u"le funzionalità principali associate a tale ruolo sono:\r\n"
     u"-   la progettazione dei percorsi formativi partendo da uno standard \r\n"
     u"    regionale (percorso standard o scheda corso); \r\n"
     u"-   la progettazione di percorsi liberi (ovvero che non partono \r\n"
     u"    da percorsi standard o schede corso); \r\n"
     u"-   la possibilità di assegnare i percorsi progettati ad una o più sedi;\r\n"
     u"-   la possibilità di duplicare i percorsi di sede ed assegnarli ad altre sedi.",
     Place::Agency, false, Section::Percorsi},
    {2, u"PROGETTISTA_PERCORSI_SEDE", u"Progettista di Percorsi Formativi (SEDE)",
     u"Progettista di Percorsi Formativi (SEDE)",
     u"Progettista di Percorsi Formativi (SEDE):",
     u"le funzionalità principali associate a tale ruolo sono:\r\n"
     u"-   la progettazione dei percorsi formativi partendo da uno standard regionale \r\n"
     u"    (percorso standard o scheda corso);\r\n"
     u"-   la progettazione di percorsi liberi (ovvero che non partono da \r\n"
     u"    percorsi standard o schede corso);\r\n"
     u"-   la possibilità di completare la progettazione di percorsi generici progettati\r\n"
     u"    dall'ente ed assegnati alla propria sede;\r\n"
     u"-   l'invio al verificatore del percorso progettato per le verifiche di competenza.",
     Place::Site, false, Section::Percorsi},
    // The import has always read the agency verifier's text with "ente" in small letters.
    {5, u"VERIFICATORE_PERCORSI_FORM", u"Verificatore di Percorsi Formativi (ENTE)",
     u"Verificatore di Percorsi Formativi (ente)",
     u"Verificatore di Percorsi Formativi per l'Ente",
     u"Il ruolo di verificatore di ente consente \r\n"
     u"(oltre alle stesse funzionalità previste per il verificatore di sede)\r\n"
     u"la verifica dei percorsi afferenti al proprio ente \r\n"
     u"previa selezione di una specifica sede,\r\n"
     u"senza necessità di modificare profilo per la verifica delle diverse sedi.",
     Place::Agency, false, Section::Percorsi},
    {3, u"VERIFICATORE_PERCORSI_SEDE", u"Verificatore di Percorsi Formativi (SEDE)",
     u"Verificatore di Percorsi Formativi (SEDE)",
     u"Verificatore di Percorsi Formativi (SEDE):",
     u"le funzionalità principali associate a tale ruolo sono: \r\n"
     u"-   le stesse previste per il progettista di sede;\r\n"
     u"-   la verifica del percorso progettato dal ruolo di progettista di sede;\r\n"
     u"si segnala che i percorsi formativi progettati devono necessariamente \r\n"
     u"trovarsi  in stato 'verificato con esito positivo' per essere presentabili \r\n"
     u"in sede di domanda di finanziamento e quindi è obbligatorio, in funzione \r\n"
     u"dell'organizzazione di ciascun Ente, avere almeno un operatore che \r\n"
     u"svolga tale ruolo e che verifichi tutti i percorsi progettati.",
     Place::Site, true, Section::Percorsi},
    {4, u"PROGETTISTA_AGENZIA_PCV", u"Progettista di PCV di agenzia",
     u"Progettista di PCV di agenzia",
     u"Progettista di PCV di agenzia:",
     u"le funzionalità principali associate a tale ruolo sono: \r\n"
     u"- la predisposizione dei questionari di agenzia;\r\n"
     u"- la predisposizione delle griglie di osservazione di agenzia;\r\n"
     u"- la contestualizzazione di una PCV a criterio unificato;\r\n"
     u"- la creazione di una PCV nuova di agenzia.\r\n"
     u"Le PCV sono oggetto di valutazione da parte dei funzionario regionali.",
     Place::Site, false, Section::Pcv},
}};
// clang-format on

QStringView sectionHeading(Section section)
{
    switch (section) {
    case Section::Percorsi:
        return u"-------    Ruoli di GESTIONE PERCORSI FORMATIVI -----------------------------------------------";
    case Section::Pcv:
        return u"-------    Ruoli di  GESTIONE PROVE DI VALUTAZIONE - PROGETTAZIONE PCV ----------";
    }
    return {};
}

} // namespace

std::span<const Role> all()
{
    return kRoles;
}

const Role* find(int code)
{
    for (const Role& r : kRoles) {
        if (r.code == code)
            return &r;
    }
    return nullptr;
}

QString text(int code)
{
    const Role* r = find(code);
    return r ? r->text.toString() : QString();
}

QString word(int code)
{
    const Role* r = find(code);
    return r ? r->word.toString() : QString();
}

int codeOf(const QString& entry)
{
    for (const Role& r : kRoles) {
        if (entry == r.text)
            return r.code;
    }
    return 0;
}

bool atAgency(int code)
{
    const Role* r = find(code);
    return r && r->place == Place::Agency;
}

QString noteHeading(int code)
{
    const Role* r = find(code);
    return r ? r->noteHeading.toString() : QString();
}

QString noteBody(int code)
{
    const Role* r = find(code);
    return r ? r->noteBody.toString() : QString();
}

QList<ListEntry> listEntries()
{
    QList<ListEntry> entries{{0, QString()}};
    const Section* current = nullptr;
    for (const Role& r : kRoles) {
        if (!current || *current != r.section)
            entries.append({0, sectionHeading(r.section).toString()});
        current = &r.section;
        // Code 0 marks the empty entry and the headings: no role may hold it.
        Q_ASSERT(r.code != 0);
        entries.append({r.code, r.text.toString()});
    }
    return entries;
}

QString verifierCountSql()
{
    QStringList marks;
    for (const Role& r : kRoles) {
        if (r.requiredVerifier)
            marks.append(QStringLiteral("?"));
    }
    return QStringLiteral("SELECT COUNT(*) FROM Ruoli WHERE NumDoma = ? AND Ruolo IN (%1)")
        .arg(marks.join(QStringLiteral(", ")));
}

QVariantList verifierCountValues(qint32 numDoma)
{
    QVariantList values{numDoma};
    for (const Role& r : kRoles) {
        if (r.requiredVerifier)
            values.append(r.code);
    }
    return values;
}

} // namespace vx::roles
