#include "net/ServerCall.h"

#include "core/AppState.h"
#include "core/Context.h"
#include "core/Settings.h"

namespace vx {

Message transferErrorMessage(const TransferResult& result, const QString& secureServer)
{
    QString text = QStringLiteral("Si è verificato un errore in trasmissione, %1 : %2")
                       .arg(result.errorCode)
                       .arg(result.errorText);
    if (result.errorCode == Exchange::kUntrustedCertificate) {
        text += QStringLiteral("\nE' necessario installare il certificato di autorizzazione per l'accesso al server "
                               "sicuro") +
                (secureServer.isEmpty() ? QString() : QLatin1Char(' ') + secureServer) +
                QStringLiteral(".\nPer procedere alla reinstallazione, cercare nel sistema il file CA_ROOT.DER ed "
                               "eseguire un doppio click su di esso.\nSe il file è assente dal sistema, contattare il "
                               "servizio assistenza");
    } else if (result.errorCode == Exchange::kHostNotFound) {
        text +=
            QStringLiteral("\nProvare a cambiare le impostazioni del server Proxy tramite il tasto 'Impostazioni'.\n"
                           "Se dovesse continuare a non funzionare, provare ad annullare l'operazione, riavviare "
                           "l'applicativo richiamandolo dal menù PROGRAMMI di Windows.");
    }
    return {text, QStringLiteral("Errore di trasmissione"), Icon::Critical, Buttons::Ok};
}

Message deliveryTransferErrorMessage(const TransferResult& result, const QUrl& address, const QString& certificatesPage)
{
    const QString plain = address.toString(QUrl::RemoveUserInfo);
    QString text = QStringLiteral("Si è verificato un errore in trasmissione, %1 : %2 (servizio: %3)")
                       .arg(result.errorCode)
                       .arg(result.errorText, Settings::serviceLabel(plain));
    if (result.errorCode == Exchange::kUntrustedCertificate) {
        text += QStringLiteral("\r\n\r\nE' necessario installare il certificato di autorizzazione per l'accesso al "
                               "server ") +
                Settings::serverLabel(plain) +
                QStringLiteral(".\r\nIl certificato e le istruzioni per l'installazione sono reperibili "
                               "all'indirizzo:\r\n\r\n") +
                certificatesPage +
                QStringLiteral("\r\n\r\nSe, dopo l'installazione, il problema persiste contattare il servizio "
                               "assistenza KVR riportando questo messaggio");
    }
    return {text, QStringLiteral("Errore di trasmissione"), Icon::Critical, Buttons::Ok};
}

ProgressFollower::ProgressFollower(Exchange& exchange, const ProgressLabel& progress)
    : m_connection(QObject::connect(&exchange, &Exchange::stateChanged, [progress](Exchange::State state) {
          if (progress)
              progress(Exchange::stateText(state));
      }))
{
}

ProgressFollower::~ProgressFollower()
{
    QObject::disconnect(m_connection);
}

TransferResult postAndReport(Exchange& exchange, Prompter& prompter, const ProgressLabel& progress, const QUrl& url,
                             const QByteArray& body, qint64 answerLimit,
                             const std::function<Message(const TransferResult&)>& describe)
{
    TransferResult result;
    {
        ProgressFollower follower(exchange, progress);
        result = exchange.postForm(url, body, answerLimit);
    }
    if (result.errorCode != 0 && !result.cancelled())
        prompter.ask(describe ? describe(result) : transferErrorMessage(result));
    return result;
}

Message serverAnswerMessage(const QString& service, const QString& answer)
{
    return {QStringLiteral("Operazione non riuscita (servizio: ") + service +
                QStringLiteral("). Il server ha restituito il seguente messaggio di errore: \r\n\r\n") + answer +
                QStringLiteral("\r\n\r\nControllare i dati immessi e ritentare l'operazione, oppure contattare il "
                               "servizio di assistenza KVR riportando questo messaggio."),
            QStringLiteral("Errore restituito dal Server"), Icon::Critical, Buttons::Ok};
}

void tellServerError(Context& context, const QString& address, const TransferResult& result)
{
    context.prompter.tell(QStringLiteral("Si è verificato un errore sul server ") + context.state.serverLabel +
                              QStringLiteral(" (servizio: ") + Settings::serviceLabel(address) +
                              QStringLiteral("), cliccando su OK il sistema cercherà di visualizzare ulteriori "
                                             "informazioni sull'errore. Contattare il servizio assistenza KVR "
                                             "riportando questo messaggio e le informazioni visualizzate"),
                          QStringLiteral("ERRORE"), Icon::Critical);
    showServerErrorPage(context.state.programFolder, result.raw, context.prompter, context.desktop);
}

} // namespace vx
