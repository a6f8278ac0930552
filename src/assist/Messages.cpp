#include "assist/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::assist {

namespace {
Message info(const char* text, const QString& title)
{
    return {QString::fromUtf8(text), title, Icon::Information, Buttons::Ok};
}

constexpr TextEntry<Text> kTexts[] = {
    {Text::EmailTitle, u"Indirizzo e-mail"},
    {Text::EmailQuestion, u"Indicare l'indirizzo e-mail a cui la Regione potrà scrivere:"},
    {Text::Title, u"Contatta l'assistenza"},
    {Text::FormCaption, u"Richiesta Assistenza"},
    {Text::FormNote,
     u"La pagina della richiesta si apre nel browser di questo computer, con i dati dell'operatore già compilati: "
     u"indicare telefono, persona di riferimento e problema riscontrato, allegare la copia della base dati e inviare."},
    {Text::StatusReady, u"Verifica che la connessione a internet sia attiva e premi il pulsante Accedi"},
    {Text::StatusCopying, u"Creazione Backup base dati in corso........"},
    {Text::StatusBrowser, u"Ricerca del browser predefinito in corso........"},
    {Text::StatusConnecting, u"Collegamento in corso........"},
    {Text::StatusConnected, u"Collegamento effettuato"},
    {Text::StatusNotOpened, u"Collegamento non effettuato: la pagina della richiesta non si è potuta aprire."},
    {Text::NoBrowser, u"Browser predefinito non trovato"},
    {Text::AccessCaption, u"Accedi"},
};
static_assert(std::size(kTexts) == size_t(Text::AccessCaption) + 1 && inOrder(kTexts));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
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

QString statusConnectedWithCopy(const QString& archive)
{
    return text(Text::StatusConnected) +
           QStringLiteral(". La copia della base dati da allegare alla richiesta è il file ") + archive;
}

Message copyFailed(const QString& reason)
{
    return {QStringLiteral("Non è stato possibile creare la copia della base dati da allegare alla richiesta:\n") +
                reason + QStringLiteral("\n\nAprire comunque la pagina della richiesta di assistenza?"),
            text(Text::Title), Icon::Exclamation, Buttons::YesNo};
}

} // namespace vx::msg::assist
