#include "net/Messages.h"
#include "core/Messages.h"
#include "refdata/Messages.h"

#include "core/TextTable.h"

#include "store/Database.h"
#include "store/ErrorAdvice.h"

#include <QDir>

namespace vx::msg::refdata {

namespace {
const QString kTableTitle = QStringLiteral("Installazione/Aggiornamento tabelle di decodifica");
const QString kNothingWritten = QStringLiteral(".\r\nNessun file è stato scritto.");

Message critical(const QString& text, const QString& title = msg::refdata::text(Text::Title))
{
    return {text, title, Icon::Critical, Buttons::Ok};
}

constexpr TextEntry<Text> kTexts[] = {
    {Text::Title, u"Aggiornamento Base Dati"},
    {Text::InstallTitle, u"Installazione Base Dati"},
    {Text::FileUnreadable, u"il file non può essere letto"},
    {Text::OperatorListCaption, u"Impostare la lista in modo che contenga gli Operatori da aggiornare/inserire"},
    {Text::Downloaded, u"I dati anagrafici degli Operatori sono stati scaricati da Internet:"},
    {Text::ConfirmQuestion, u"Premere OK per aggiornare la base dati, Annulla per rinunciare."},
    {Text::UpdateWait, u"Aggiornamento base dati in corso.\r\nAttendere..."},
    {Text::ProgressHeading, u"AGGIORNAMENTO BASE DATI"},
    {Text::ProgressWait, u"Attendere..."},
    {Text::InsertCaption, u"Inserisci"},
    {Text::InsertHint, u"Aggiunge l'Operatore alla lista"},
    {Text::DeleteCaption, u"Elimina"},
    {Text::DeleteHint, u"Toglie dalla lista l'Operatore selezionato"},
    {Text::ConfirmHint, u"Scarica da Internet i dati degli Operatori della lista"},
    {Text::CancelHint, u"Annulla l'aggiornamento"},
    {Text::GroupLabel, u"Gruppo:"},
    {Text::CodeLabel, u"Codice:"},
};
static_assert(std::size(kTexts) == size_t(Text::CodeLabel) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::BothFlags,
     u"Rilevata presenza di entrambi i files INSTALLA.TAB e AGGIORNA.TAB. \r\nAmbiguità nell'operazione da eseguire "
     u"sulle tabelle di decodifica. \r\nImpossibile continuare. Si procederà con il caricamento della procedura senza "
     u"alcuna modifica delle tabelle di decodifica.",
     u"Installa/Aggiorna tabelle di decodifica", Icon::Exclamation, Buttons::Ok},
    {Notice::RestoreDone, u"Ripristino della base dati riuscito", title(Text::Title), Icon::Information, Buttons::Ok},
    {Notice::ListFull, u"E' stato raggiunto il limite massimo di aziende scaricabili da Internet", u"Attenzione",
     Icon::Information, Buttons::Ok},
    {Notice::ClientsQuestion,
     u"ATTENZIONE: prima di procedere assicurarsi che nessuna installazione CLIENT sia connessa alla base "
     u"dati.\r\n\r\nContinuare ?",
     title(Text::Title), Icon::Question, Buttons::YesNo},
    {Notice::UpdateDone, u"Aggiornamento Base Dati effettuato.", u"Aggiorna Base Dati", Icon::Information, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::UpdateDone) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

Message flagNotDeletable()
{
    return critical(QStringLiteral("Impossibile aggiornare le tabelle di decodifica (file flag non cancellabile)"),
                    kAppTitle);
}

Message emptyTableFile(const QString& path)
{
    return {QStringLiteral("ATTENZIONE: il file ") + QDir::toNativeSeparators(path) +
                QStringLiteral(" è vuoto. Continuare l'operazione di aggiornamento sulle altre tabelle (scegliendo No "
                               "il programma terminerà) ?"),
            kTableTitle, Icon::Question, Buttons::YesNo};
}

Message tableNotLoaded(const QString& table, const QString& path, const QString& reason, bool willRepeat,
                       const QString& flag)
{
    const QString next = willRepeat ? QStringLiteral("il caricamento sarà ripetuto al prossimo avvio del programma.")
                                    : QStringLiteral("per ripeterlo ricreare il file ") + flag +
                                          QStringLiteral(" nella cartella del programma.");
    return critical(QStringLiteral("Impossibile caricare la tabella ") + table + QStringLiteral(" dal file ") +
                        QDir::toNativeSeparators(path) + QStringLiteral(":\r\n") + reason +
                        QStringLiteral("\r\nLa tabella non è stata modificata; ") + next,
                    kTableTitle);
}

QString tableMissing(const QString& table)
{
    return QStringLiteral("tabella %1 assente o incompleta").arg(table);
}

QString controlCharacter(int line, int code)
{
    return QStringLiteral("la riga %1 contiene un carattere di controllo (codice %2), che nessun testo della Regione "
                          "contiene")
        .arg(line)
        .arg(code);
}

QString notARow(int line)
{
    return QStringLiteral("la riga %1 non è nel formato #campo#,#campo#... (righe spezzate o troncate)").arg(line);
}

QString badGroup(int line, const QString& value)
{
    return QStringLiteral("alla riga %1 il gruppo dell'Operatore \"%2\" non è una lettera").arg(line).arg(value);
}

QString badOperatorCode(int line, const QString& value)
{
    return QStringLiteral("alla riga %1 il codice dell'Operatore \"%2\" non è un numero intero valido")
        .arg(line)
        .arg(value);
}

QString badSiteNumber(int line, const QString& value)
{
    return QStringLiteral("alla riga %1 il numero della sede \"%2\" non è un numero intero valido")
        .arg(line)
        .arg(value);
}

QString badNumber(int line, int field, const QString& value, bool whole)
{
    return QStringLiteral("alla riga %1 il %2° campo (\"%3\") non è un numero%4 valido")
        .arg(line)
        .arg(field)
        .arg(value, whole ? QStringLiteral(" intero") : QString());
}

Message registryFileRefused(const QString& file, const QString& reason, const QString& title)
{
    return critical(QStringLiteral("Il file ") + file + QStringLiteral(" non può essere caricato: ") + reason +
                        QStringLiteral(".\r\nLa base dati non è stata modificata."),
                    title);
}

Message clientOnly()
{
    return critical(QStringLiteral("La funzione di Aggiornamento Base Dati è disponibile solo dalle installazioni di "
                                   "tipo SERVER."),
                    msg::core::text(msg::core::Text::UnavailableFunctionTitle));
}

Message unknownInstallation()
{
    return critical(QStringLiteral("ATTENZIONE: impossibile rilevare tipo di installazione in uso (SERVER/CLIENT). "
                                   "\r\n\r\nContattare il servizio di assistenza K.V.R. riportando questo messaggio."),
                    QStringLiteral("Anomalia"));
}

Message incomplete(const QString& title)
{
    return critical(
        QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari."), title);
}

Message safetyCopyFailed()
{
    return critical(QStringLiteral("Copia di sicurezza della base dati non riuscita. Impossibile continuare "
                                   "l'operazione di aggiornamento."));
}

Message emptyOperFile()
{
    return critical(QStringLiteral("ATTENZIONE: il file Oper.TX1 contenente le anagrafiche degli Operatori da "
                                   "aggiornare risulta vuoto. Impossibile continuare l'operazione di aggiornamento."));
}

Message emptyCompoFile()
{
    return critical(QStringLiteral("ATTENZIONE: il file Compo.TX1 contenente le anagrafiche dei Componenti da "
                                   "aggiornare risulta vuoto. Impossibile continuare l'operazione di aggiornamento."));
}

Message logCreated(const QString& path)
{
    return {QStringLiteral("E' stato creato un file di log con nome: ") + QDir::toNativeSeparators(path) +
                QStringLiteral(", contenente alcune note all'aggiornamento. E' possibile leggerlo con un editor di "
                               "testo.\r\n\r\nVisualizzare subito il file di log?"),
            text(Text::Title), Icon::Question, Buttons::YesNo};
}

Message logNotWritten(const QString& path, const QStringList& lines)
{
    return {QStringLiteral("Aggiornamento eseguito, ma non è stato possibile scrivere il file di log ") +
                QDir::toNativeSeparators(path) + QStringLiteral(". Le note all'aggiornamento sono:\r\n\r\n") +
                lines.join(QStringLiteral("\r\n")),
            text(Text::Title), Icon::Exclamation, Buttons::Ok};
}

Message serverLost()
{
    return critical(QStringLiteral("Il collegamento con il server della base dati si è interrotto durante "
                                   "l'aggiornamento: il server ha annullato ogni modifica e la base dati è com'era "
                                   "prima.\nI file dell'anagrafe restano nella cartella del programma: ripetere "
                                   "l'aggiornamento quando il server è di nuovo raggiungibile."));
}

Message restoreFailed()
{
    return critical(QStringLiteral("Ripristino della base dati non riuscito."));
}

Message noLegalSeat(const QString& group, const QString& code)
{
    return critical(QStringLiteral("Manca la sede legale dell'Operatore ") + group + QStringLiteral(" - ") + code +
                        QStringLiteral(". Impossibile utilizzare il programma."),
                    text(Text::InstallTitle));
}

Message registryNotInstalled(const DbError& error)
{
    return critical(QStringLiteral("Impossibile caricare l'anagrafe degli Operatori:\r\n") + errorLines(error) +
                        QStringLiteral("\r\nImpossibile utilizzare il programma."),
                    text(Text::InstallTitle));
}

QString printedRequestLeft(const QString& number, const QString& group, const QString& code)
{
    return QStringLiteral("- Proposta N. ") + number + QStringLiteral(" dell'Operatore ") + group + QLatin1Char('-') +
           code + QStringLiteral(" non aggiornata perchè bloccata (stampata in definitivo)");
}

QString printedSeatLeft(const QString& number, const QString& group, const QString& code)
{
    return QStringLiteral("- Dati relativi alla sede legale della Proposta N. ") + number +
           QStringLiteral(" dell'Operatore ") + group + QLatin1Char('-') + code +
           QStringLiteral(" non aggiornati perchè bloccati (proposta sostituita o stampata in definitivo)");
}

Message emptyList()
{
    return critical(QStringLiteral("E' necessario imputare almeno un Operatore."));
}

Message writeFailure(const QString& path, const QString& reason)
{
    return critical(QStringLiteral("Impossibile scrivere il file ") + path + QStringLiteral(": ") + reason +
                    kNothingWritten);
}

Message forbiddenName(const QString& name)
{
    return critical(QStringLiteral("La risposta del server contiene un file con un nome non ammesso: ") + name +
                    kNothingWritten);
}

Message noFiles()
{
    return critical(QStringLiteral("La risposta del server non contiene alcun file") + kNothingWritten);
}

QString operatorNotDelivered(const QString& key)
{
    return key + QStringLiteral(": non presente nell'anagrafe della Regione (nessun dato scaricato)");
}

Message internetQuestion()
{
    return {QStringLiteral("Attivazione collegamento con Internet.\r\nProcedere solo dopo aver aperto la "
                           "connessione \r\ncon il vostro Provider"),
            msg::net::text(msg::net::Text::DataTransmissionTitle), Icon::Information, Buttons::OkCancel};
}

Message exclusiveOpenFailed(const DbError& error)
{
    return critical(errorLines(error), QStringLiteral("Errore imprevisto"));
}

} // namespace vx::msg::refdata
