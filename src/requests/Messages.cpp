#include "requests/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::requests {

namespace {
const QString kImpossible = QStringLiteral("E' pertanto impossibile inserire la domanda.");
const QString kPrinted = QStringLiteral("Domanda già stampata in definitivo. Non è possibile cancellarla");
} // namespace

QString yesNo(bool value)
{
    return value ? QStringLiteral("Sì") : QStringLiteral("No");
}

Message confirmDelete(qint32 number)
{
    return {QStringLiteral("Confermi la cancellazione della domanda n. %1 ?").arg(number), kAppTitle, Icon::Information,
            Buttons::OkCancel};
}

Message printedCannotBeDeleted()
{
    return {kPrinted, text(Text::DeleteTitle), Icon::Critical, Buttons::Ok};
}

QString deleteOperation()
{
    return text(Text::DeleteTitle);
}

Message notAssociated(const QString& group, qint32 code)
{
    return {QStringLiteral("Il certificato selezionato non risulta essere associato all'operatore ") + group +
                QStringLiteral(" - ") + QString::number(code) +
                QStringLiteral("\nImpossibile scaricare un numero di richiesta."),
            QStringLiteral("Certificato non abilitato."), Icon::Information, Buttons::Ok};
}

Message noNumber(const QString& server)
{
    return {QStringLiteral("Ritiro del numero di registrazione nuova domanda dal server ") + server +
                QStringLiteral(" non riuscito.\n") + kImpossible,
            kAppTitle, Icon::Critical, Buttons::Ok};
}

Message numberHeldAlready(qint32 number, const QString& server)
{
    return {QStringLiteral("Il numero di richiesta %1, assegnato dal server %2, esiste già in questo archivio.\n")
                    .arg(number)
                    .arg(server) +
                kImpossible,
            kAppTitle, Icon::Critical, Buttons::Ok};
}

Message retryConnection(const QString& server, const QString& service)
{
    return {QStringLiteral("Si è verificato un errore in fase di connessione con il server ") + server +
                QStringLiteral(" (servizio: ") + service +
                QStringLiteral("), è probabile che si tratti di un errore temporaneo, Riprovare?"),
            text(Text::Error), Icon::Critical, Buttons::OkCancel};
}

Message noAuthorisation(const QString& server, const QString& certificatesPage)
{
    return {QStringLiteral("L'errore che si è verificato potrebbe essere causato dalla mancanza di autorizzazione per "
                           "accedere al server ") +
                server +
                QStringLiteral(". Per avere l'autorizzazione è necessario: \n"
                               "  - avere installato Microsoft Internet Explorer 4.01 o superiore \n"
                               "  - avere installato il certificato di autorizzazione per l'accesso al server ") +
                server +
                QStringLiteral(".\nSe è necessario reinstallare il certificato di autorizzazione, riscaricarlo da "
                               "Internet dall'indirizzo: \n\n") +
                certificatesPage +
                QStringLiteral("\n\nPer ulteriori chiarimenti, contattare il servizio di assistenza K.V.R."
                               "Impossibile continuare con l'esecuzione dell'applicativo, il programma verrà "
                               "terminato."),
            text(Text::Error), Icon::Critical, Buttons::Ok};
}

QString insertOperation()
{
    return text(Text::InsertCaption);
}

namespace {

constexpr TextEntry<Text> kTexts[] = {
    {Text::SalvaVarIniRoutine, u"Errore in 'SalvaVarINI'"},
    {Text::SelectionCaption, u"Selezione Richiesta"},
    {Text::OperatorList, u"Soggetto Presentatore della Richiesta"},
    {Text::ProvinceList, u"Provincia"},
    {Text::SelectCaption, u"Seleziona"},
    {Text::SelectTooltip, u"Seleziona la Domanda evidenziata nella griglia"},
    {Text::InsertCaption, u"Inserisci Nuova Richiesta"},
    {Text::DeleteCaption, u"Elimina Richiesta"},
    {Text::StopTooltip, u"Interrompe il collegamento con il server"},
    {Text::WaitPanel, u"Operazione in corso. Attendere..."},
    {Text::NumberRequestCaption, u"Numero di registrazione"},
    {Text::NumberRequestText, u"Richiesta del numero di registrazione della nuova domanda."},
    {Text::AlternativeCaption, u"Modalità di autenticazione alternativa"},
    {Text::OpenInBrowser, u"Apri nel browser"},
    {Text::AddressLabel, u"Indirizzo da aprire nel browser:"},
    {Text::AnswerInstruction, u"copiare qui sotto, INTEGRALEMTENTE,  il testo ottenuto come risposta"},
    {Text::ExampleLabel, u"esempio di risposta:"},
    {Text::ExampleAnswer, u"Risposta: OK;40012345678901;17;A12"},
    {Text::SelectedRequest, u"Richiesta selezionata"},
    {Text::GridName, u"Richieste dell'operatore e della provincia scelti"},
    {Text::DeleteTitle, u"Elimina Domanda"},
    {Text::Error, u"ERRORE"},
    {Text::SelectTitle, u"Selezione Domanda"},
    {Text::ProvinceLabel, u"Prov."},
};
static_assert(std::size(kTexts) == size_t(Text::ProvinceLabel) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::NoRequestInGrid, u"E' necessario inserire una domanda", title(Text::SelectTitle), Icon::Critical,
     Buttons::Ok},
    {Notice::NoRequestHighlighted, u"E' necessario selezionare una domanda", title(Text::SelectTitle), Icon::Critical,
     Buttons::Ok},
    {Notice::SelectOrEnd,
     u"E' necessario selezionare una domanda. Premere SI' per selezionarla ora oppure NO per terminare l'applicativo",
     title(Text::SelectTitle), Icon::Exclamation, Buttons::YesNo},
    {Notice::NothingToDelete, u"Nessuna riga da eliminare.", title(Text::DeleteTitle), Icon::Information, Buttons::Ok},
    {Notice::NothingHighlightedToDelete, u"Selezionare una domanda da eliminare.", title(Text::DeleteTitle),
     Icon::Information, Buttons::Ok},
    {Notice::DeletingTheSelected,
     u"Si sta cercando di cancellare la domanda attualmente selezionata.\nSe si procede verrà selezionata "
     u"automaticamente un'altra domanda per lo stesso operatore.\nContinuare?",
     u"Elimina Proposta", Icon::Exclamation, Buttons::OkCancel},
    {Notice::Interrupted, u"Operazione interrotta dall'utente.\nLa domanda non è stata inserita.", kAppName,
     Icon::Information, Buttons::Ok},
    {Notice::Inserted, u"Domanda inserita correttamente e selezionata.", kAppName, Icon::Information, Buttons::Ok},
    {Notice::EmailNeeded, u"E' necessario specificare un indirizzo e-mail per procedere.\nSpecificarlo ora?", u"E-Mail",
     Icon::None, Buttons::YesNo},
    {Notice::CannotContinue, u"E' impossibile continuare.\nTrasmissione interrotta.", title(Text::Error),
     Icon::Critical, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::CannotContinue) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

QString gridHeader(int column)
{
    switch (column) {
    case 0:
        return QStringLiteral("n. domada");
    case 1:
        return QStringLiteral("progr. domanda");
    case 2:
        return QStringLiteral("stampata");
    case 3:
        return QStringLiteral("trasmessa ");
    }
    return QString();
}

} // namespace vx::msg::requests
