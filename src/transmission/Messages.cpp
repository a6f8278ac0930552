#include "net/Messages.h"
#include "core/Messages.h"
#include "transmission/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::transmission {

namespace {
const QString kThisVersion = QStringLiteral("La presente versione dell'applicativo ( ");

Message critical(const QString& text, const QString& title)
{
    return {text, title, Icon::Critical, Buttons::Ok};
}
} // namespace

QString fileTitle(const QString& routine)
{
    return QStringLiteral("Creazione file di trasmissione - ") + routine;
}

Message requestNotFound(const QString& routine)
{
    return critical(QStringLiteral("ANOMALIA: domanda non trovata nella tavola delle domande. Impossibile continuare"),
                    fileTitle(routine));
}

Message applicantNotFound()
{
    return critical(QStringLiteral("ANOMALIA: Soggetto Attuatore della Domanda non trovato. Impossibile continuare"),
                    fileTitle(QStringLiteral("ScriviRec_A")));
}

Message correspondenceMissing()
{
    return critical(QStringLiteral("ANOMALIA: il campo Corrispondenza (sede che riceve la corrispondenza) della "
                                   "domanda è vuoto. Impossibile continuare"),
                    fileTitle(QStringLiteral("ScriviRec_A")));
}

Message legalSeatNotFound()
{
    return critical(QStringLiteral("ANOMALIA: Sede Legale del Soggetto Attuatore non trovata. Impossibile continuare"),
                    fileTitle(QStringLiteral("ScriviRec_B")));
}

Message noPersons()
{
    return critical(QStringLiteral("ANOMALIA: nessun corso trovato. Impossibile continuare"),
                    fileTitle(QStringLiteral("ScriviRec_E")));
}

Message fileNotWritten(int number, const QString& description)
{
    return critical(QStringLiteral("Errore ") + QString::number(number) + QStringLiteral(" --> ") + description +
                        QStringLiteral("\n\rdurante la creazione del file di trasmissione con i dati della domanda"),
                    fileTitle(QStringLiteral("Nomina_e_Crea")));
}

Message fileCreationFailed()
{
    return critical(QStringLiteral("Creazione file di trasmissione fallita."),
                    QStringLiteral("Crea File di Trasmissione"));
}

Message checkRefused(const QString& report, const QString& savedPath)
{
    const QString kept = savedPath.isEmpty() ? QString()
                                             : QStringLiteral("\r\n\r\nIl rapporto è stato salvato nel file ") +
                                                   savedPath + QLatin1Char('.');
    return critical(report + kept, QStringLiteral("Controllo del file di trasmissione"));
}

QString checkPassed(const QString& fileName, int persons)
{
    return QStringLiteral("Controllo del file di trasmissione %1: superato.\r\nPersone (record E): %2")
        .arg(fileName)
        .arg(persons);
}

QString checkFailed(const QString& fileName)
{
    return QStringLiteral("Controllo del file di trasmissione %1: NON superato.").arg(fileName);
}

namespace {

constexpr TextEntry<Text> kTexts[] = {
    {Text::NoFinalCrLf, u"Il file non termina con CR LF."},
    {Text::Utf8Encoded,
     u"Il file è scritto in UTF-8 e non in Windows-1252: le lettere accentate arriverebbero alterate."},
    {Text::MissingHeader, u"Mancano i record Z, A e B."},
    {Text::MissingTerminator, u"Manca la riga finale #Z#,#EOF#."},
    {Text::HistoryName, u"Trasmissioni della richiesta"},
    {Text::EmailPrompt, u"Indirizzo E-Mail..."},
    {Text::SenderCaption, u"Indirizzo e-mail del mittente:"},
    {Text::SendCaption, u"Invia"},
    {Text::StopTip, u"Interrompe il collegamento con il server (anche il tasto Esc)"},
    {Text::HistoryCaption, u"Trasmissioni della richiesta:"},
    {Text::VersionTitle, u"Controllo Versione"},
};
static_assert(std::size(kTexts) == size_t(Text::VersionTitle) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::ReservedName, u"Modifico il nome dell'allegato in modo che non venga acquisito.", kAppName, Icon::None,
     Buttons::Ok},
    {Notice::UploadStopped,
     u"L'invio è stato interrotto: la Richiesta non risulta trasmessa alla Regione.\nIl file di trasmissione è "
     u"conservato: inviarlo di nuovo quando si desidera.",
     u"Invio della richiesta", Icon::Information, Buttons::Ok},
    {Notice::AskVersionCheck,
     u"E' possibile controllare se questa versione dell'applicativo è aggiornata e quindi abilitata alla "
     u"trasmissione.\r\nQualunque sia l'esito del controllo, sarà comunque possibile effettuare la copia dei "
     u"dati.\r\nE' necessario che sia attiva la connessione ad Internet. Procedere?",
     title(Text::VersionTitle), Icon::Information, Buttons::YesNo},
    {Notice::VersionEnabled, u"La presente versione dell'applicativo è abilitata alla trasmissione.",
     title(Text::VersionTitle), Icon::Information, Buttons::Ok},
    {Notice::VersionNotEnabledGoOn,
     u"La presente versione dell'applicativo non è abilitata alla trasmissione. Scaricare ed installare il più presto "
     u"possibile la versione più recente. Continuare l'operazione di copia su dischetto?",
     title(Text::VersionTitle), Icon::Critical, Buttons::YesNo},
};
static_assert(std::size(kNotices) == size_t(Notice::VersionNotEnabledGoOn) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

QString bareLineBreak(int row)
{
    return QStringLiteral("Riga %1: ritorno a capo senza la coppia CR LF.").arg(row);
}

QString notEncodable(int row)
{
    return QStringLiteral("Riga %1: carattere non codificabile in Windows-1252.").arg(row);
}

QString afterTerminator(int row)
{
    return QStringLiteral("Riga %1: testo dopo la riga finale #Z#,#EOF#.").arg(row);
}

QString terminatorBeforeHeader(int row)
{
    return QStringLiteral("Riga %1: riga finale prima dei record Z, A e B.").arg(row);
}

QString terminatorWithoutPersons(int row)
{
    return QStringLiteral("Riga %1: riga finale senza alcun record E.").arg(row);
}

QString notEnclosed(int row)
{
    return QStringLiteral("Riga %1: il record non è racchiuso tra due #.").arg(row);
}

QString unknownRecord(int row, const QString& type)
{
    return QStringLiteral("Riga %1: record di tipo \"%2\" sconosciuto.").arg(row).arg(type);
}

QString outOfPlace(int row, const QString& type, QChar wanted)
{
    return QStringLiteral("Riga %1: record %2 fuori posto (atteso il record %3).").arg(row).arg(type).arg(wanted);
}

QString fieldCount(int row, const QString& type, int count, int expected)
{
    return QStringLiteral("Riga %1: il record %2 ha %3 campi invece di %4.")
        .arg(row)
        .arg(type)
        .arg(count)
        .arg(expected);
}

QString notEightDigits(int row, int field, const QString& value)
{
    return QStringLiteral("Riga %1, campo %2: la data \"%3\" non è di 8 cifre.").arg(row).arg(field).arg(value);
}

QString separatorInValue(int row, int field)
{
    return QStringLiteral("Riga %1, campo %2: il valore contiene il separatore #,#.").arg(row).arg(field);
}

QString loneHash(int row, int field)
{
    return QStringLiteral("Riga %1, campo %2: il valore contiene il carattere #.").arg(row).arg(field);
}

QString otherRequest(int row, const QString& number, const QString& header)
{
    return QStringLiteral("Riga %1: domanda %2 diversa da quella del record Z (%3).").arg(row).arg(number, header);
}

QString repeatedPerson(int row, int earlier)
{
    return QStringLiteral("Riga %1: record E ripetuto (già alla riga %2).").arg(row).arg(earlier);
}

QString unknownRole(int row, const QString& word)
{
    return QStringLiteral("Riga %1, campo 17: ruolo \"%2\" sconosciuto.").arg(row).arg(word);
}

QString notANumber(int row, int field, const QString& value)
{
    return QStringLiteral("Riga %1, campo %2: \"%3\" non è un numero.").arg(row).arg(field).arg(value);
}

QString unknownSite(int row, const QString& group, const QString& code, const QString& site)
{
    return QStringLiteral("Riga %1, campo 16: la sede %2 non è tra le sedi dell'operatore %3-%4 nella base dati.")
        .arg(row)
        .arg(site, group, code);
}

QString notInRequest(int row, qint32 number)
{
    return QStringLiteral("Riga %1: il record E non corrisponde ai soggetti e ruoli della Richiesta %2 nella base "
                          "dati (dati anagrafici, sede o ruolo diversi).")
        .arg(row)
        .arg(number);
}

QString missingPerson(const QString& codFiscale, const QString& surname, const QString& name)
{
    return QStringLiteral("Manca il record E di %1 %2 (%3), presente nella Richiesta nella base dati.")
        .arg(surname, name, codFiscale);
}

QString databaseUnreadable(const QString& description)
{
    return QStringLiteral("Impossibile confrontare il file con la Richiesta nella base dati: ") + description;
}

QString notSendable(qint32 number)
{
    return QStringLiteral("La Richiesta %1 non potrebbe essere trasmessa alla Regione:").arg(number);
}

QString personFault(const QString& surname, const QString& name, const QString& codFiscale, const QString& fault)
{
    return QStringLiteral("%1 %2 (%3) - %4").arg(surname, name, codFiscale, fault);
}

Message versionNoLongerManaged(const QString& version)
{
    return {kThisVersion + version +
                QStringLiteral(" ) non è più gestita dalla Regione.\r\nImpossibile effettuare la trasmissione, per "
                               "ulteriori informazioni contattare il servizio di assistenza KVR."),
            text(Text::VersionTitle), Icon::Exclamation, Buttons::Ok};
}

Message regionStops(const QString& text)
{
    return critical(text, QStringLiteral("Trasmissione"));
}

Message regionNotice(const QString& text)
{
    return {text, QStringLiteral("Trasmissione"), Icon::Information, Buttons::Ok};
}

Message versionNotAuthorised(const QString& version, const QString& latest)
{
    return critical(kThisVersion + version +
                        QStringLiteral(" ) non è autorizzata a trasmettere.\r\nScaricare da Internet la nuova "
                                       "versione: ") +
                        latest,
                    text(Text::VersionTitle));
}

Message versionNotLatest(const QString& version, const QString& latest)
{
    return {
        kThisVersion + version +
            QStringLiteral(" ) non è la più recente.\r\nSi consiglia di scaricare da Internet la nuova versione: ") +
            latest + QStringLiteral("\r\nLa trasmissione avverrà comunque."),
        text(Text::VersionTitle), Icon::Exclamation, Buttons::Ok};
}

QString uploadTitle()
{
    return msg::net::text(msg::net::Text::DataTransmissionTitle);
}

Message openConnection()
{
    return {QStringLiteral("Attivazione collegamento con Internet\r\nProcedere solo dopo aver aperto la connessione "
                           "\r\ncon il vostro Provider"),
            uploadTitle(), Icon::Information, Buttons::OkCancel};
}

Message sent(const QString& answerPhrase)
{
    return {answerPhrase, QStringLiteral("TRASMISSIONE TERMINATA"), Icon::Information, Buttons::Ok};
}

Message sentNotRecorded(const QString& fileName, const QString& number, const QString& description)
{
    return {QStringLiteral("La Regione ha ricevuto il file ") + fileName +
                QStringLiteral(", ma non è stato possibile registrare la trasmissione della domanda: il file resta "
                               "nella cartella del programma.\r\nErrore ") +
                number + QStringLiteral(" --> ") + description +
                QStringLiteral("\r\n\r\nScegliere Riprova per ritentare la registrazione."),
            QStringLiteral("Trasmissione"), Icon::Critical, Buttons::RetryCancel};
}

Message emailRequired()
{
    return {QStringLiteral("E' necessario specificare un indirizzo di posta\r\nelettronica per poter procedere al "
                           "salvataggio dei dati."),
            msg::core::text(msg::core::Text::SaveDataTitle), Icon::Exclamation, Buttons::Ok};
}

Message overwrite(const QString& folder, const QString& fileName)
{
    return {QStringLiteral("Nella cartella \r\n") + folder + QStringLiteral("\r\nE' già presente un file \r\n") +
                fileName + QStringLiteral("\r\nSovrascriverlo?"),
            QStringLiteral("File di trasmissione già esistente"), Icon::None, Buttons::YesNo};
}

Message saved(const QString& fileName, const QString& folder)
{
    return {QStringLiteral("Il file \r\n") + fileName + QStringLiteral("\r\nè stato salvato nella cartella\r\n") +
                folder,
            QStringLiteral("Copia dei dati effettuata."), Icon::Information, Buttons::Ok};
}

QStringList historyColumns()
{
    return {QStringLiteral("Data e ora"), QStringLiteral("File"), QStringLiteral("Byte"), QStringLiteral("Esito"),
            QStringLiteral("Risposta del server")};
}

} // namespace vx::msg::transmission
