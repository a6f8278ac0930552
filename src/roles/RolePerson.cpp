#include "roles/RolePerson.h"

namespace vx::roles {

QString text(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("Progettista di Percorsi Formativi (ENTE)");
    case 2:
        return QStringLiteral("Progettista di Percorsi Formativi (SEDE)");
    case 3:
        return QStringLiteral("Verificatore di Percorsi Formativi (SEDE)");
    case 4:
        return QStringLiteral("Progettista di PCV di agenzia");
    case 5:
        return QStringLiteral("Verificatore di Percorsi Formativi (ENTE)");
    default:
        return QString();
    }
}

int codeOf(const QString& entry)
{
    for (int code = 1; code <= kCount; ++code) {
        if (entry == text(code))
            return code;
    }
    return 0;
}

bool atAgency(int code)
{
    return code == 1 || code == 5;
}

QStringList listEntries()
{
    return {QString(),
            QStringLiteral("-------    Ruoli di GESTIONE PERCORSI FORMATIVI "
                           "-----------------------------------------------"),
            text(1),
            text(2),
            text(5),
            text(3),
            QStringLiteral("-------    Ruoli di  GESTIONE PROVE DI VALUTAZIONE - PROGETTAZIONE PCV ----------"),
            text(4)};
}

QString noteHeading(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("Progettista di Percorsi Formativi (ENTE):");
    case 2:
        return QStringLiteral("Progettista di Percorsi Formativi (SEDE):");
    case 3:
        return QStringLiteral("Verificatore di Percorsi Formativi (SEDE):");
    case 4:
        return QStringLiteral("Progettista di PCV di agenzia:");
    case 5:
        return QStringLiteral("Verificatore di Percorsi Formativi per l'Ente");
    default:
        return QString();
    }
}

QString noteBody(int code)
{
    QStringList lines;
    switch (code) {
    case 1:
        lines = {QStringLiteral("le funzionalità principali associate a tale ruolo sono:"),
                 QStringLiteral("-   la progettazione dei percorsi formativi partendo da uno standard "),
                 QStringLiteral("    regionale (percorso standard o scheda corso); "),
                 QStringLiteral("-   la progettazione di percorsi liberi (ovvero che non partono "),
                 QStringLiteral("    da percorsi standard o schede corso); "),
                 QStringLiteral("-   la possibilità di assegnare i percorsi progettati ad una o più sedi;"),
                 QStringLiteral("-   la possibilità di duplicare i percorsi di sede ed assegnarli ad altre sedi.")};
        break;
    case 2:
        lines = {QStringLiteral("le funzionalità principali associate a tale ruolo sono:"),
                 QStringLiteral("-   la progettazione dei percorsi formativi partendo da uno standard regionale "),
                 QStringLiteral("    (percorso standard o scheda corso);"),
                 QStringLiteral("-   la progettazione di percorsi liberi (ovvero che non partono da "),
                 QStringLiteral("    percorsi standard o schede corso);"),
                 QStringLiteral("-   la possibilità di completare la progettazione di percorsi generici progettati"),
                 QStringLiteral("    dall'ente ed assegnati alla propria sede;"),
                 QStringLiteral("-   l'invio al verificatore del percorso progettato per le verifiche di competenza.")};
        break;
    case 3:
        lines = {QStringLiteral("le funzionalità principali associate a tale ruolo sono: "),
                 QStringLiteral("-   le stesse previste per il progettista di sede;"),
                 QStringLiteral("-   la verifica del percorso progettato dal ruolo di progettista di sede;"),
                 QStringLiteral("si segnala che i percorsi formativi progettati devono necessariamente "),
                 QStringLiteral("trovarsi  in stato 'verificato con esito positivo' per essere presentabili "),
                 QStringLiteral("in sede di domanda di finanziamento e quindi è obbligatorio, in funzione "),
                 QStringLiteral("dell'organizzazione di ciascun Ente, avere almeno un operatore che "),
                 QStringLiteral("svolga tale ruolo e che verifichi tutti i percorsi progettati.")};
        break;
    case 4:
        lines = {QStringLiteral("le funzionalità principali associate a tale ruolo sono: "),
                 QStringLiteral("- la predisposizione dei questionari di agenzia;"),
                 QStringLiteral("- la predisposizione delle griglie di osservazione di agenzia;"),
                 QStringLiteral("- la contestualizzazione di una PCV a criterio unificato;"),
                 QStringLiteral("- la creazione di una PCV nuova di agenzia."),
                 QStringLiteral("Le PCV sono oggetto di valutazione da parte dei funzionario regionali.")};
        break;
    case 5:
        lines = {QStringLiteral("Il ruolo di verificatore di ente consente "),
                 QStringLiteral("(oltre alle stesse funzionalità previste per il verificatore di sede)"),
                 QStringLiteral("la verifica dei percorsi afferenti al proprio ente "),
                 QStringLiteral("previa selezione di una specifica sede,"),
                 QStringLiteral("senza necessità di modificare profilo per la verifica delle diverse sedi.")};
        break;
    default:
        break;
    }
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace vx::roles
