#include "print/Messages.h"

namespace vx::msg::print {

namespace {
const QString kRegistered = QStringLiteral("Registrazione della stampa avvenuta");
const QString kEnabled = QStringLiteral("Trasmissione dati abilitata");
} // namespace

QString draftCaption()
{
    return QStringLiteral("Stampa Bozza");
}

QString draftType()
{
    return QStringLiteral("STAMPA DELLA BOZZA DELLA DOMANDA.");
}

QString definitiveCaption()
{
    return QStringLiteral("Stampa Originale, Copia");
}

QString definitiveType()
{
    return QStringLiteral("STAMPA DEL MODULO DI DOMANDA ORIGINALE E IN COPIA.");
}

QString printerSetUpCaption()
{
    return QStringLiteral("Imposta la stampante predefinita");
}

QString progressCaption()
{
    return QStringLiteral("Stampa in corso");
}

QString compiling(const QString& printType)
{
    return QStringLiteral("Compilazione ") + printType + QStringLiteral(" in corso ...");
}

QString documentNumberCaption()
{
    return QStringLiteral("Documento n.");
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

QString makingPdf()
{
    return QStringLiteral("Creazione del file PDF in corso...");
}

QString deliveryCaption()
{
    return QStringLiteral("Stampa Definitivo / Invio Richiesta");
}

QString sendConfirmationCaption()
{
    return QStringLiteral("Invio della richiesta");
}

QString exitEnabled()
{
    return QStringLiteral("Esci");
}

QString exitDisabled()
{
    return QStringLiteral("Annulla Invio Proposta");
}

QString printErrorTitle()
{
    return QStringLiteral("Errore in fase di stampa");
}

Message printFailed(const QString& reason)
{
    return {reason, printErrorTitle(), Icon::Critical, Buttons::Ok};
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
            printErrorTitle(), Icon::Critical, Buttons::Ok};
}

Message emergencyQuestion()
{
    return {QStringLiteral("Confermando l'operazione verrà effettuata la stampa in modalità alternativa (ovvero senza "
                           "appoggiarsi al modello del documento). Proreseguire?"),
            QStringLiteral("Conferma stampa bozza"), Icon::None, Buttons::OkCancel};
}

QString definitiveOperation()
{
    return QStringLiteral("Stampa Definitivo");
}

QString alternativeTitle()
{
    return QStringLiteral("Stampa Originale Alternativa");
}

Message alternativeQuestion()
{
    return {QStringLiteral("Questa funzione permette di realizzare un documento alternativo della Richiesta in modo da "
                           "abilitare la trasmissione.\r\n"
                           "In particolare questa funzione puo' essere utilizzata se si è verificato un errore con la "
                           "modalità di stampa 'classica'.\r\n"
                           "Se si desidera creare autonomamente un file PDF per poterlo conservare invece del "
                           "documento cartaceo, si suggerisce di scegliere come stampante predefinita una stampante "
                           "PDF.\r\n"
                           "Confermare l'operazione di stampa?"),
            alternativeTitle(), Icon::None, Buttons::YesNo};
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
    return {printerRefused() + QLatin1Char('\n') + notRegistered(), alternativeTitle(), Icon::Exclamation, Buttons::Ok};
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

QString notRegistered()
{
    return QStringLiteral("La stampa non è stata registrata.");
}

QString requestMissing(qint32 number)
{
    return QStringLiteral("La Richiesta %1 non esiste.").arg(number);
}

QString readFailure(const QString& what, const QString& number, const QString& description)
{
    return what + QStringLiteral(" - ") + number + QStringLiteral(" - ") + description;
}

QString requestData()
{
    return QStringLiteral("Dati della Richiesta");
}

QString personsData()
{
    return QStringLiteral("Soggetti e ruoli");
}

QString printerRefused()
{
    return QStringLiteral("La stampante non ha accettato la stampa.");
}

QString templateUnreadable(const QString& path, const QString& reason)
{
    return QStringLiteral("Impossibile leggere il modello di stampa %1:\n%2").arg(path, reason);
}

QString templateWithoutTable()
{
    return QStringLiteral("Il modello di stampa non contiene una tabella di nove colonne con la cella \"StartDE\" in "
                          "prima colonna.");
}

QString pdfStopped()
{
    return QStringLiteral("Creazione del file PDF interrotta.");
}

QString pdfFailed()
{
    return QStringLiteral("Creazione del file PDF non riuscita.");
}

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Impossibile scrivere il file %1:\n%2").arg(path, reason);
}

QString documentTitle()
{
    return QStringLiteral("Richiesta di Profilazione (VELTRANORPX)");
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

QString legendHeading()
{
    return QStringLiteral("LEGENDA codici Ruolo:");
}

QString legendLine(int code, const QString& text)
{
    return QString::number(code) + QStringLiteral(" - ") + text;
}

QString listingDocumentName()
{
    return QStringLiteral("VELTRANORPX-Elenco");
}

} // namespace vx::msg::print
