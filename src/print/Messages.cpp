#include "print/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::print {

namespace {
const QString kRegistered = QStringLiteral("Registrazione della stampa avvenuta");
const QString kEnabled = QStringLiteral("Trasmissione dati abilitata");

constexpr TextEntry<Text> kTexts[] = {
    {Text::DraftCaption, u"Stampa Bozza"},
    {Text::DraftType, u"STAMPA DELLA BOZZA DELLA DOMANDA."},
    {Text::DefinitiveCaption, u"Stampa Originale, Copia"},
    {Text::DefinitiveType, u"STAMPA DEL MODULO DI DOMANDA ORIGINALE E IN COPIA."},
    {Text::PrinterSetUpCaption, u"Imposta la stampante predefinita"},
    {Text::ProgressCaption, u"Stampa in corso"},
    {Text::DocumentNumberCaption, u"Documento n."},
    {Text::MakingPdf, u"Creazione del file PDF in corso..."},
    {Text::DeliveryCaption, u"Stampa Definitivo / Invio Richiesta"},
    {Text::SendConfirmationCaption, u"Invio della richiesta"},
    {Text::ExitDisabled, u"Annulla Invio Proposta"},
    {Text::PrintErrorTitle, u"Errore in fase di stampa"},
    {Text::DefinitiveOperation, u"Stampa Definitivo"},
    {Text::AlternativeTitle, u"Stampa Originale Alternativa"},
    {Text::NotRegistered, u"La stampa non è stata registrata."},
    {Text::RequestData, u"Dati della Richiesta"},
    {Text::PersonsData, u"Soggetti e ruoli"},
    {Text::PrinterRefused, u"La stampante non ha accettato la stampa."},
    {Text::TemplateWithoutTable,
     u"Il modello di stampa non contiene una tabella di nove colonne con la cella \"StartDE\" in prima colonna."},
    {Text::PdfStopped, u"Creazione del file PDF interrotta."},
    {Text::PdfFailed, u"Creazione del file PDF non riuscita."},
    {Text::DocumentTitle, u"Richiesta di Profilazione (VELTRANORPX)"},
    {Text::LegendHeading, u"LEGENDA codici Ruolo:"},
    {Text::ListingDocumentName, u"VELTRANORPX-Elenco"},
    {Text::DeliveryPrintCaption, u"Stampa del modulo di richiesta in originale da conservare"},
    {Text::DeliveryEmergencyCaption, u"Stampa di emergenza/ abilita trasmissione"},
    {Text::DeliverySaveCaption, u"Salvataggio di una Copia del file di trasmissione della richiesta "},
    {Text::DeliverySendCaption, u"Invio della richiesta tramite INTERNET"},
    {Text::IntervalFrame, u" Intervallo di stampa"},
    {Text::IntervalLabel, u"Intervallo di stampa:"},
    {Text::IntervalName, u"Intervallo di stampa in secondi"},
    {Text::IntervalUnit, u"secondi."},
    {Text::IntervalNote,
     u"E' possibile impostare un intervallo di stampa nel caso in cui lo spooler della stampante abbia una capacità "
     u"ridotta di memoria e quindi potrebbe generare degli errori in fase di stampa per una mole di dati  eccessiva."},
    {Text::IntervalZeroNote, u"Nota: per non impostare nessun intervallo di stampa lasciare 0 nell'apposito spazio."},
    {Text::EmergencyFrame, u"stampa di emergenza"},
    {Text::EmergencyCaption, u"Stampa senza modello"},
    {Text::EmergencyNote, u"da utilizzarsi se con la modalità di stampa 'standard' si verificano anomalie (non si "
                          u"appoggia al modello del documento)"},
    {Text::RequestLabel, u"Richiesta"},
    {Text::SendHeading, u"INVIO ALLA REGIONE DELLA DOMANDA"},
    {Text::SendStepsHeading, u"Operazioni che dovranno essere effettuate:"},
    {Text::SendStepPrint, u"1.  Stampa del modulo di domanda originale da consegnare agli uffici preposti"},
    {Text::SendStepCopy, u"2.  Copia del file di trasmissione della domanda  (OPZIONALE)"},
    {Text::SendStepSend, u"3.  Invio della domanda tramite INTERNET"},
    {Text::SendWarningHeading, u"ATTENZIONE ! ! !"},
    {Text::SendWarning, u"Dopo la stampa del modulo originale (punto 1) NON SARA' PIU' POSSIBILE MODIFICARE I SOGGETTI "
                        u"E I RUOLI DELLA DOMANDA"},
};
static_assert(std::size(kTexts) == size_t(Text::SendWarning) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::EmergencyQuestion,
     u"Confermando l'operazione verrà effettuata la stampa in modalità alternativa (ovvero senza appoggiarsi al "
     u"modello del documento). Proreseguire?",
     u"Conferma stampa bozza", Icon::None, Buttons::OkCancel},
    {Notice::AlternativeQuestion,
     u"Questa funzione permette di realizzare un documento alternativo della Richiesta in modo da abilitare la "
     u"trasmissione.\r\nIn particolare questa funzione puo' essere utilizzata se si è verificato un errore con la "
     u"modalità di stampa 'classica'.\r\nSe si desidera creare autonomamente un file PDF per poterlo conservare invece "
     u"del documento cartaceo, si suggerisce di scegliere come stampante predefinita una stampante PDF.\r\nConfermare "
     u"l'operazione di stampa?",
     title(Text::AlternativeTitle), Icon::None, Buttons::YesNo},
};
static_assert(std::size(kNotices) == size_t(Notice::AlternativeQuestion) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

QString compiling(const QString& printType)
{
    return QStringLiteral("Compilazione ") + printType + QStringLiteral(" in corso ...");
}

QString pageMark(qint32 request, bool draft)
{
    return QStringLiteral("Domanda n. %1").arg(request) +
           (draft ? QStringLiteral(" - BOZZA: non valida come documento definitivo") : QString());
}

QString pageNumber(int page, int pages)
{
    return QStringLiteral("Pagina %1 di %2").arg(page).arg(pages);
}

Message printFailed(const QString& reason)
{
    return {reason, text(Text::PrintErrorTitle), Icon::Critical, Buttons::Ok};
}

Message fileCreated(const QString& path)
{
    return {QStringLiteral("E' stato creato il file ") + path + QLatin1Char('.'),
            QStringLiteral("Compilazione File di stampa"), Icon::Information, Buttons::Ok};
}

Message printerModuleMissing(const QString& module)
{
    return {QStringLiteral("Impossibile stampare: il modulo ") + module +
                QStringLiteral(", che gestisce le stampanti, non è installato con il programma.\nReinstallare il "
                               "programma."),
            text(Text::PrintErrorTitle), Icon::Critical, Buttons::Ok};
}

Message definitiveQuestion(qint32 number)
{
    return {QStringLiteral("La stampa definitiva chiude la Richiesta %1 alle modifiche: dopo la stampa i suoi soggetti "
                           "e ruoli non potranno più essere inseriti, modificati o eliminati.\n"
                           "La Richiesta stampata in modo definitivo potrà poi essere inviata alla Regione.\n\n"
                           "Eseguire la stampa definitiva?")
                .arg(number),
            QStringLiteral("Stampa definitiva"), Icon::Question, Buttons::YesNo};
}

Message printerRefusedNotRegistered()
{
    return {text(Text::PrinterRefused) + QLatin1Char('\n') + text(Text::NotRegistered), text(Text::AlternativeTitle),
            Icon::Exclamation, Buttons::Ok};
}

Message registered()
{
    return {kRegistered + QStringLiteral(". ") + kEnabled, kAppTitle, Icon::None, Buttons::Ok};
}

Message registeredClosed(qint32 number)
{
    return {kRegistered + QStringLiteral(": la Richiesta ") + QString::number(number) +
                QStringLiteral(" è ora chiusa alle modifiche (soggetti e ruoli non sono più modificabili). ") +
                kEnabled,
            kAppTitle, Icon::None, Buttons::Ok};
}

Message notSendable(const QString& faults, const QString& reportPath)
{
    const QString kept = reportPath.isEmpty() ? QString()
                                              : QStringLiteral("\r\n\r\nL'elenco è stato salvato nel file ") +
                                                    reportPath + QLatin1Char('.');
    return {
        QStringLiteral("La stampa definitiva non è stata eseguita e la Richiesta resta modificabile: il suo file di "
                       "trasmissione non potrebbe essere inviato alla Regione.\r\nCorreggere i soggetti indicati "
                       "in \"Nominativi e Ruoli\" e ripetere la stampa.\r\n\r\n") +
            faults + kept,
        QStringLiteral("Stampa definitiva"), Icon::Exclamation, Buttons::Ok};
}

QString requestMissing(qint32 number)
{
    return QStringLiteral("La Richiesta %1 non esiste.").arg(number);
}

QString readFailure(const QString& what, const QString& number, const QString& description)
{
    return what + QStringLiteral(" - ") + number + QStringLiteral(" - ") + description;
}

QString templateUnreadable(const QString& path, const QString& reason)
{
    return QStringLiteral("Impossibile leggere il modello di stampa %1:\n%2").arg(path, reason);
}

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Impossibile scrivere il file %1:\n%2").arg(path, reason);
}

QString listingOperatorLine(const QString& group, qint32 code, qint32 number, const QString& date)
{
    return QStringLiteral("Operatore: ") + group + QLatin1Char('-') + QString::number(code) +
           QStringLiteral("    Richiesta num: ") + QString::number(number) + QStringLiteral("       data") + date;
}

QString listingColumnHeading()
{
    // The column labels as the agency has always seen them; the person columns below do not line
    // up exactly under them, and both keep their historical layout.
    return QStringLiteral("Cod. Fiscale             Cognome                Nome        Data nasc.        e-mail       "
                          "            telefono       Oper.-Sede    Ruolo");
}

QString pageNumber(int page)
{
    return QStringLiteral(" pag. ") + QString::number(page);
}

QString legendLine(int code, const QString& text)
{
    return QString::number(code) + QStringLiteral(" - ") + text;
}

} // namespace vx::msg::print
