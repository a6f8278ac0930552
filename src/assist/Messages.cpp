#include "assist/Messages.h"

namespace vx::msg::assist {

namespace {
Message info(const char* text, const QString& title)
{
    return {QString::fromUtf8(text), title, Icon::Information, Buttons::Ok};
}
} // namespace

QString emailTitle()
{
    return QStringLiteral("Indirizzo e-mail");
}

Message emailMissing(const QString& title)
{
    return info("E' indispensabile indicare un indirizzo e-mail.", title);
}

Message emailComma(const QString& title)
{
    return info("L'indirizzo e-mail non può contenere virgole.", title);
}

Message emailBlanks(const QString& title)
{
    return info("L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o internamente.", title);
}

Message emailSlash(const QString& title)
{
    return info("L'indirizzo e-mail non può contenere il carattere '/'.", title);
}

Message emailDoubleDot(const QString& title)
{
    return info("L'indirizzo e-mail non può contenere punti consecutivi.", title);
}

Message emailNoAt(const QString& title)
{
    return info("L'indirizzo e-mail deve contenere il carattere '@'.", title);
}

Message emailNoDotAfterAt(const QString& title)
{
    return info("L'indirizzo di e-mail deve contenere almeno 1 '.' dopo il carattere '@', e non nella forma '@.'",
                title);
}

Message emailNoProvider(const QString& title)
{
    return info("Dopo l'ultimo '.' deve essere specificato il provider (es. 'it', 'com', ecc.)", title);
}

Message emailNoUserName(const QString& title)
{
    return info("L'indirizzo e-mail deve iniziare con il proprio user-name (es. 'mario.rossi', 'mrossi', ecc.)", title);
}

Message emailTwoAts(const QString& title)
{
    return info("L'indirizzo e-mail non può contenere più di 1 carattere '@'.", title);
}

Message emailPromptLeft(const QString& title)
{
    return info("E' indispensabile indicare un 'indirizzo e-mail valido.", title);
}

QString emailQuestion()
{
    return QStringLiteral("Indicare l'indirizzo e-mail a cui la Regione potrà scrivere:");
}

QString title()
{
    return QStringLiteral("Contatta l'assistenza");
}

QString formCaption()
{
    return QStringLiteral("Richiesta Assistenza");
}

QString formNote()
{
    return QStringLiteral("La pagina della richiesta si apre nel browser di questo computer, con i dati "
                          "dell'operatore già compilati: indicare telefono, persona di riferimento e problema "
                          "riscontrato, allegare la copia della base dati e inviare.");
}

QString statusReady()
{
    return QStringLiteral("Verifica che la connessione a internet sia attiva e premi il pulsante Accedi");
}

QString statusCopying()
{
    return QStringLiteral("Creazione Backup base dati in corso........");
}

QString statusBrowser()
{
    return QStringLiteral("Ricerca del browser predefinito in corso........");
}

QString statusConnecting()
{
    return QStringLiteral("Collegamento in corso........");
}

QString statusConnected()
{
    return QStringLiteral("Collegamento effettuato");
}

QString statusConnectedWithCopy(const QString& archive)
{
    return statusConnected() + QStringLiteral(". La copia della base dati da allegare alla richiesta è il file ") +
           archive;
}

QString statusNotOpened()
{
    return QStringLiteral("Collegamento non effettuato: la pagina della richiesta non si è potuta aprire.");
}

Message copyFailed(const QString& reason)
{
    return {QStringLiteral("Non è stato possibile creare la copia della base dati da allegare alla richiesta:\n") +
                reason + QStringLiteral("\n\nAprire comunque la pagina della richiesta di assistenza?"),
            title(), Icon::Exclamation, Buttons::YesNo};
}

QString noBrowser()
{
    return QStringLiteral("Browser predefinito non trovato");
}

} // namespace vx::msg::assist
