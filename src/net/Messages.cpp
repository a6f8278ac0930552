#include "net/Messages.h"

#include "core/TextTable.h"

#include "net/Exchange.h"

#include <QLocale>

namespace vx::msg::net {

namespace {
const QString kTransmissionError = QStringLiteral("Errore di trasmissione");
const QString kAskAssistance = QStringLiteral("Riprovare in un secondo momento, oppure contattare il servizio di "
                                              "assistenza KVR riportando questo messaggio.");

QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KiB").arg(bytes / 1024);
    return QStringLiteral("%1 byte").arg(bytes);
}

QString transferErrorHead(const TransferResult& result)
{
    return QStringLiteral("Si è verificato un errore in trasmissione, %1 : %2")
        .arg(result.errorCode)
        .arg(result.errorText);
}

constexpr TextEntry<Text> kTexts[] = {
    {Text::DataTransmissionTitle, u"Trasmissione dati"},
    {Text::Connecting, u"Connessione al Server ... "},
    {Text::Downloading, u"... Downloading in corso ... "},
    {Text::Disconnecting, u"Disconnessione dal Server ... "},
    {Text::Processing, u"Elaborazione dati scaricati in corso ..."},
    {Text::Processed, u"Elaborazione dati scaricati completata."},
    {Text::NoAddress, u"L'indirizzo del servizio della Regione non è impostato (o non è un indirizzo https) nel file "
                      u"VELTRANORPX.INI della cartella del programma, sezione [CONNESSIONE]. Gli indirizzi sono "
                      u"forniti con il pacchetto di installazione: rivolgersi a chi ha installato il programma."},
    {Text::CancelledByUser, u"Operazione annullata dall'utente."},
    {Text::CertificateTitle, u"Certificato personale"},
    {Text::NoPersonalCertificate, u"Nessun certificato personale disponibile su questo computer."},
    {Text::ConnectionError, u"Errore di connessione"},
};
static_assert(std::size(kTexts) == size_t(Text::ConnectionError) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::CertificatePasswordWrong,
     u"La password non è corretta, oppure il file non contiene un certificato personale valido.",
     title(Text::CertificateTitle), Icon::Exclamation, Buttons::Ok},
    {Notice::AlternativeIdentification,
     u"Si procederà con la modalità di autenticazione alternativa:\n\n1. aprire un browser aggiornato sul computer "
     u"dove è installato il proprio certificato digitale;\n2. collegarsi all'indirizzo che verrà mostrato;\n3. copiare "
     u"il codice di abilitazione temporaneo ottenuto come risposta;\n4. incollarlo nella finestra che segue e "
     u"confermare per continuare.",
     u"Modalità di autenticazione alternativa.", Icon::Information, Buttons::Ok},
    {Notice::AuthenticationFailed, u"Autenticazione non riuscita", u"Verifica certificato", Icon::Critical,
     Buttons::Ok},
    {Notice::AuthenticationUnreachable,
     u"Errore di connessione al server. Si consiglia di riprovare in un secondo momento.", title(Text::ConnectionError),
     Icon::Critical, Buttons::Ok},
};
static_assert(std::size(kNotices) == size_t(Notice::AuthenticationUnreachable) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

QString received(qint64 bytes)
{
    // Whatever the system's language, the figures read as an Italian reads them.
    return text(Text::Downloading) + QLocale(QLocale::Italian, QLocale::Italy).toString(bytes) +
           QStringLiteral(" byte ricevuti");
}

QString transferFailure(int code, const QString& fallback)
{
    switch (code) {
    case Exchange::kHostNotFound:
        return QStringLiteral("Impossibile risolvere il nome del server.");
    case Exchange::kCannotConnect:
        return QStringLiteral("Impossibile stabilire la connessione con il server.");
    case Exchange::kConnectionAborted:
        return QStringLiteral("La connessione è stata interrotta dal server.");
    case Exchange::kConnectionReset:
        return QStringLiteral("La connessione con il server è stata reimpostata.");
    case Exchange::kCertificateDate:
        return QStringLiteral("Il certificato del server è scaduto o non ancora valido.");
    case Exchange::kCertificateName:
        return QStringLiteral("Il certificato del server non corrisponde al nome del server.");
    case Exchange::kUntrustedCertificate:
        return QStringLiteral("Il certificato del server non è emesso da un'autorità riconosciuta.");
    case Exchange::kInvalidResponse:
        return QStringLiteral("Il server ha dato una risposta non valida.");
    default:
        return fallback;
    }
}

QString timedOut(int timeLimitMs)
{
    return QStringLiteral("Tempo scaduto: il server non ha risposto entro %1 secondi.")
        .arg(timeLimitMs / 1000.0, 0, 'f', timeLimitMs % 1000 ? 1 : 0);
}

QString answerTooLarge(qint64 limit)
{
    return QStringLiteral("La risposta del server supera il limite di %1.").arg(sizeText(limit));
}

QString caFileUnusable(const QString& path)
{
    return QStringLiteral("Il file dei certificati delle autorità di certificazione indicato in CERTIFICATI_CA (") +
           path +
           QStringLiteral(") non esiste, non è leggibile o non contiene certificati: impossibile verificare il "
                          "certificato del server. Correggere l'impostazione CERTIFICATI_CA nel file VELTRANORPX.INI.");
}

QString moduleMissing(const QString& module)
{
    return QStringLiteral("Il modulo ") + module +
           QStringLiteral(", che effettua i collegamenti con i server della Regione, non è installato con il "
                          "programma. Reinstallare il programma.");
}

Message transferError(const TransferResult& result, const QString& secureServer)
{
    QString text = transferErrorHead(result);
    if (result.errorCode == Exchange::kUntrustedCertificate) {
        text += QStringLiteral("\nE' necessario installare il certificato di autorizzazione per l'accesso al server "
                               "sicuro") +
                (secureServer.isEmpty() ? QString() : QLatin1Char(' ') + secureServer) +
                QStringLiteral(".\nPer procedere, indicare il file dell'autorità di certificazione del server "
                               "(CA_ROOT) nella chiave CERTIFICATI_CA del file VELTRANORPX.INI, oppure installarlo fra "
                               "le autorità di certificazione del sistema.\nSe il file è assente dal sistema, "
                               "contattare il servizio assistenza");
    } else if (result.errorCode == Exchange::kHostNotFound) {
        text += QStringLiteral("\nVerificare che questo computer raggiunga la rete e il server indicato.\n"
                               "Se dovesse continuare a non funzionare, provare ad annullare l'operazione e riavviare "
                               "l'applicativo dal menu delle applicazioni.");
    }
    return {text, kTransmissionError, Icon::Critical, Buttons::Ok};
}

Message deliveryTransferError(const TransferResult& result, const QString& service, const QString& server,
                              const QString& certificatesPage)
{
    QString text = transferErrorHead(result) + QStringLiteral(" (servizio: ") + service + QLatin1Char(')');
    if (result.errorCode == Exchange::kUntrustedCertificate) {
        text += QStringLiteral("\r\n\r\nE' necessario installare il certificato di autorizzazione per l'accesso al "
                               "server ") +
                server +
                QStringLiteral(".\r\nIl certificato e le istruzioni per l'installazione sono reperibili "
                               "all'indirizzo:\r\n\r\n") +
                certificatesPage +
                QStringLiteral("\r\n\r\nSe, dopo l'installazione, il problema persiste contattare il servizio "
                               "assistenza KVR riportando questo messaggio");
    }
    return {text, kTransmissionError, Icon::Critical, Buttons::Ok};
}

Message serverAnswer(Where where, const QString& label, const QString& answer)
{
    const QString place =
        where == Where::Service ? QStringLiteral("servizio: ") : QStringLiteral("server di destinazione: ");
    return {QStringLiteral("Operazione non riuscita (") + place + label +
                QStringLiteral("). Il server ha restituito il seguente messaggio di errore: \r\n\r\n") + answer +
                QStringLiteral("\r\n\r\nControllare i dati immessi e ritentare l'operazione, oppure contattare il "
                               "servizio di assistenza KVR riportando questo messaggio."),
            QStringLiteral("Errore restituito dal Server"), Icon::Critical, Buttons::Ok};
}

Message serverErrorPage(const QString& server, const QString& service)
{
    const QString where = service.isEmpty() ? QString() : QStringLiteral(" (servizio: ") + service + QLatin1Char(')');
    return {QStringLiteral("Si è verificato un errore sul server ") + server + where +
                QStringLiteral(", cliccando su OK il sistema cercherà di visualizzare ulteriori informazioni "
                               "sull'errore. Contattare il servizio assistenza KVR riportando questo messaggio e le "
                               "informazioni visualizzate"),
            QStringLiteral("ERRORE"), Icon::Critical, Buttons::Ok};
}

Message connectionFailed(const QString& server, const QString& service)
{
    return {QStringLiteral("Errore di connessione al server (server: ") + server + QStringLiteral(", servizio: ") +
                service + QStringLiteral("). ") + kAskAssistance,
            text(Text::ConnectionError), Icon::Critical, Buttons::Ok};
}

Message uploadConnectionFailed(const QString& destination)
{
    return {QStringLiteral("Errore di connessione al server (server di destinazione: ") + destination +
                QStringLiteral("). ") + kAskAssistance,
            text(Text::ConnectionError), Icon::Critical, Buttons::Ok};
}

Message certificateMissing(const QString& path)
{
    return {QStringLiteral("Il file del certificato personale non è stato trovato:\n") + path,
            text(Text::CertificateTitle), Icon::Exclamation, Buttons::Ok};
}

QString certificatePasswordPrompt(const QString& fileName)
{
    return QStringLiteral("Password del certificato personale\n") + fileName + QLatin1Char(':');
}

QString identityPageUnavailable(int code, const QString& text)
{
    return QStringLiteral("Impossibile visualizzare la pagina del servizio di identificazione (%1 : %2)")
        .arg(code)
        .arg(text);
}

Message notConnected(const QString& reason)
{
    return {QStringLiteral("Connessione non effettuata \n\n") + reason +
                QStringLiteral("\n\nVerificare che il computer sia collegato a Internet, che le impostazioni del "
                               "proxy consentano di raggiungere il servizio di identificazione e che nelle Opzioni "
                               "sia indicato il proprio certificato personale."),
            kAppTitle, Icon::Information, Buttons::Ok};
}

} // namespace vx::msg::net
