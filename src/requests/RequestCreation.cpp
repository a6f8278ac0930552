#include "requests/RequestCreation.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/UserSettings.h"
#include "requests/SelectedRequest.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"
#include "transmission/Exchange.h"

#include <QFileInfo>
#include <QUrlQuery>

#include <limits>

namespace vx {

namespace {

QByteArray formValue(const QString& value)
{
    return QUrl::toPercentEncoding(value);
}

// A whole positive number that fits a Request number.
qint32 numberOf(const QString& answer)
{
    bool ok = false;
    const qlonglong n = answer.toLongLong(&ok);
    if (!ok || n <= 0 || n > std::numeric_limits<qint32>::max())
        return 0;
    for (QChar c : answer) {
        if (!c.isDigit())
            return 0;
    }
    return static_cast<qint32>(n);
}

QStringList columnsOf(Database& db, const QString& table)
{
    QStringList names;
    QSqlQuery q = db.query();
    if (db.exec(q, QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table})) {
        while (q.next())
            names.append(q.value(0).toString());
    }
    return names;
}

QMetaObject::Connection forwardProgress(Exchange& exchange, CreationScreens& screens)
{
    return QObject::connect(&exchange, &Exchange::stateChanged,
                            [&screens](Exchange::State state) { screens.showProgress(Exchange::stateText(state)); });
}

QString quoted(const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out.append(QLatin1Char('"') + n + QLatin1Char('"'));
    return out.join(QStringLiteral(", "));
}

} // namespace

QString identityFromAnswer(const QString& text)
{
    if (!text.toUpper().contains(QLatin1String("RISPOSTA: OK")))
        return QString();
    return splitElement(text, QStringLiteral(";"), 1);
}

Settings RequestCreation::settings() const
{
    return Settings::read(IniFile(m_ctx.state.programFolder));
}

Message RequestCreation::transferErrorMessage(const TransferResult& result)
{
    QString text = QStringLiteral("Si è verificato un errore in trasmissione, %1 : %2")
                       .arg(result.errorCode)
                       .arg(result.errorText);
    if (result.errorCode == Exchange::kUntrustedCertificate) {
        text +=
            QStringLiteral("\nE' necessario installare il certificato di autorizzazione per l'accesso al server "
                           "sicuro.\nPer procedere alla reinstallazione, cercare nel sistema il file CA_ROOT.DER ed "
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

void RequestCreation::serverError(const QString& address, const TransferResult& result)
{
    m_ctx.prompter.tell(QStringLiteral("Si è verificato un errore sul server ") + m_ctx.state.serverLabel +
                            QStringLiteral(" (servizio: ") + Settings::serviceLabel(address) +
                            QStringLiteral("), cliccando su OK il sistema cercherà di visualizzare ulteriori "
                                           "informazioni sull'errore. Contattare il servizio assistenza KVR riportando "
                                           "questo messaggio e le informazioni visualizzate"),
                        QStringLiteral("ERRORE"), Icon::Critical);
    showServerErrorPage(m_ctx.state.programFolder, result.raw, m_ctx.desktop);
}

bool RequestCreation::create(const OperatorEntry& op, const ProvinceEntry& province)
{
    const QString id = identity();
    if (!authenticate(op, province, id)) {
        m_ctx.prompter.tell(QStringLiteral("Il certificato selezionato non risulta essere associato all'operatore ") +
                                op.group + QStringLiteral(" - ") + QString::number(op.code) +
                                QStringLiteral("\nImpossibile scaricare un numero di richiesta."),
                            QStringLiteral("Certificato non abilitato."), Icon::Information);
        return false;
    }
    const qint32 number = m_screens.runNumberRequest([&] { return requestNumber(op); });
    if (m_ctx.control.ended())
        return false;
    if (number == 0) {
        m_ctx.prompter.tell(QStringLiteral("Ritiro del numero di registrazione nuova domanda dal server ") +
                                m_ctx.state.serverLabel +
                                QStringLiteral(" non riuscito.\nE' pertanto impossibile inserire la domanda."),
                            kAppTitle, Icon::Critical);
        return false;
    }
    if (!insertRequest(number, op, province))
        return false;
    IniFile iniFile(m_ctx.state.programFolder);
    SalvaVarINI(m_ctx.db, iniFile, m_ctx.prompter, number, m_ctx.state.selected);
    m_ctx.prompter.tell(QStringLiteral("Domanda inserita correttamente e selezionata."), kAppTitle, Icon::Information);
    return true;
}

bool RequestCreation::loadCertificate(ClientCertificate& certificate)
{
    const QString path = UserSettings().certificate();
    if (path.isEmpty())
        return false;
    const QString title = QStringLiteral("Certificato personale");
    if (!QFileInfo(path).isFile()) {
        m_ctx.prompter.tell(QStringLiteral("Il file del certificato personale non è stato trovato:\n") + path, title,
                            Icon::Exclamation);
        return false;
    }
    for (;;) {
        QString password;
        if (!m_ctx.prompter.askPassword(QStringLiteral("Password del certificato personale\n") +
                                            QFileInfo(path).fileName() + QLatin1Char(':'),
                                        title, password))
            return false;
        if (ClientCertificate::load(path, password, certificate))
            return true;
        m_ctx.prompter.tell(QStringLiteral("La password non è corretta, oppure il file non contiene un certificato "
                                           "personale valido."),
                            title, Icon::Exclamation);
    }
}

QString RequestCreation::alternativeMode(const QString& reason)
{
    m_ctx.prompter.tell(
        QStringLiteral("Connessione non effettuata \n\n") + reason +
            QStringLiteral("\n\nVerificare che il computer sia collegato a Internet, che le impostazioni "
                           "del proxy consentano di raggiungere il servizio di identificazione e che "
                           "nelle Opzioni sia indicato il proprio certificato personale."),
        QW77TRIM, Icon::Information);
    m_ctx.prompter.tell(QStringLiteral("Si procederà con la modalità di autenticazione alternativa:\n\n"
                                       "1. aprire un browser aggiornato sul computer dove è installato il proprio "
                                       "certificato digitale;\n"
                                       "2. collegarsi all'indirizzo che verrà mostrato;\n"
                                       "3. copiare il codice di abilitazione temporaneo ottenuto come risposta;\n"
                                       "4. incollarlo nella finestra che segue e confermare per continuare."),
                        QStringLiteral("Modalità di autenticazione alternativa."), Icon::Information);
    QString login = settings().identityLogin;
    if (login.isEmpty()) {
        QUrl nembo(settings().identity);
        nembo.setPath(QStringLiteral("/identita/accesso"));
        login = nembo.toString();
    }
    return identityFromAnswer(m_screens.alternativeIdentity(QUrl(login)));
}

QString RequestCreation::identity()
{
    ClientCertificate certificate;
    if (!loadCertificate(certificate))
        return alternativeMode(QStringLiteral("Nessun certificato personale disponibile su questo computer."));
    const TransferResult page = m_exchange.get(QUrl(settings().identity), certificate);
    if (!page.completed)
        return alternativeMode(QStringLiteral("Impossibile visualizzare la pagina del servizio di identificazione "
                                              "(%1 : %2)")
                                   .arg(page.errorCode)
                                   .arg(page.errorText));
    return identityFromAnswer(Exchange::pageText(page.answer));
}

bool RequestCreation::authenticate(const OperatorEntry& op, const ProvinceEntry& province, const QString& identityId)
{
    if (identityId.isEmpty()) {
        m_ctx.prompter.tell(QStringLiteral("Autenticazione non riuscita"), QStringLiteral("Verifica certificato"),
                            Icon::Critical);
        return false;
    }
    const QString address = settings().authentication;
    const QByteArray body = "gruppo=" + formValue(op.group) + "&codice=" + QByteArray::number(op.code) +
                            "&nembo_id=" + formValue(identityId) +
                            "&prov=" + formValue(RecuperaSigProv(m_ctx.db, m_ctx.prompter, province.code));
    auto progress = forwardProgress(m_exchange, m_screens);
    const TransferResult result = m_exchange.postForm(QUrl(address), body);
    QObject::disconnect(progress);
    if (result.failed()) {
        if (result.errorCode != 0)
            m_ctx.prompter.ask(transferErrorMessage(result));
        m_ctx.prompter.tell(QStringLiteral("Errore di connessione al server. Si consiglia di riprovare in un secondo "
                                           "momento."),
                            QStringLiteral("Errore di connessione"), Icon::Critical);
        return false;
    }
    m_screens.showProgress(QStringLiteral("Elaborazione dati scaricati in corso ..."));
    if (Exchange::containsErrore(result.answer) || Exchange::isHtml(result.answer)) {
        serverError(address, result);
        return false;
    }
    if (!result.answer.contains(QLatin1String("VERIFICA SUPERATA")))
        return false;
    m_screens.showProgress(QStringLiteral("Elaborazione dati scaricati completata."));
    return true;
}

qint32 RequestCreation::requestNumber(const OperatorEntry& op)
{
    for (;;) {
        while (!m_screens.askEmail()) {
            if (m_ctx.prompter.ask({QStringLiteral("E' necessario specificare un indirizzo e-mail per procedere.\n"
                                                   "Specificarlo ora?"),
                                    QStringLiteral("E-Mail"), Icon::None, Buttons::YesNo}) != Answer::Yes) {
                m_ctx.prompter.tell(QStringLiteral("E' impossibile continuare.\nTrasmissione interrotta."),
                                    QStringLiteral("ERRORE"), Icon::Critical);
                return 0;
            }
        }
        const QString nreg = settings().nreg;
        const QByteArray body = "gruppo=" + formValue(op.group) + "&codice=" + QByteArray::number(op.code) +
                                "&compo=&applicativo=VELTRANORPX&email=" + formValue(UserSettings().email());
        auto progress = forwardProgress(m_exchange, m_screens);
        const TransferResult result = m_exchange.postForm(Exchange::withCredential(nreg, m_ctx.state.credential), body);
        QObject::disconnect(progress);

        if (result.failed()) {
            if (result.errorCode != 0)
                m_ctx.prompter.ask(transferErrorMessage(result));
            const QString server = m_ctx.state.serverLabel;
            if (m_ctx.prompter.ask({QStringLiteral("Si è verificato un errore in fase di connessione con il server ") +
                                        server + QStringLiteral(" (servizio: ") + Settings::serviceLabel(nreg) +
                                        QStringLiteral("), è probabile che si tratti di un errore temporaneo, "
                                                       "Riprovare?"),
                                    QStringLiteral("ERRORE"), Icon::Critical, Buttons::OkCancel}) == Answer::Ok)
                continue;
            m_ctx.prompter.tell(
                QStringLiteral("L'errore che si è verificato potrebbe essere causato dalla mancanza di autorizzazione "
                               "per accedere al server ") +
                    server +
                    QStringLiteral(". Per avere l'autorizzazione è necessario: \n"
                                   "  - avere installato Microsoft Internet Explorer 4.01 o superiore \n"
                                   "  - avere installato il certificato di autorizzazione per l'accesso al server ") +
                    server +
                    QStringLiteral(".\nSe è necessario reinstallare il certificato di autorizzazione, riscaricarlo da "
                                   "Internet dall'indirizzo: \n\n") +
                    settings().certificatesPage +
                    QStringLiteral("\n\nPer ulteriori chiarimenti, contattare il servizio di assistenza K.V.R."
                                   "Impossibile continuare con l'esecuzione dell'applicativo, il programma verrà "
                                   "terminato."),
                QStringLiteral("ERRORE"), Icon::Critical);
            m_ctx.control.endProgram();
            return 0;
        }
        const QString answer = result.answer.trimmed();
        const qint32 number = Exchange::containsErrore(answer) ? 0 : numberOf(answer);
        if (number == 0)
            serverError(nreg, result);
        return number;
    }
}

bool RequestCreation::insertRequest(qint32 number, const OperatorEntry& op, const ProvinceEntry& province)
{
    // The operator block is copied by position: CorsiOper from its third column on, into the
    // Domande columns that follow the running number.
    const QStringList operatorColumns = columnsOf(m_ctx.db, QStringLiteral("CorsiOper")).mid(2);
    const QStringList requestColumns = columnsOf(m_ctx.db, QStringLiteral("Domande")).mid(5, operatorColumns.size());
    const QStringList seatColumns = {
        QStringLiteral("Componente"),  QStringLiteral("TipoCompo"),   QStringLiteral("DenominazioneSL"),
        QStringLiteral("CodComune"),   QStringLiteral("Cap"),         QStringLiteral("Indirizzo"),
        QStringLiteral("Tel"),         QStringLiteral("Fax"),         QStringLiteral("Cod_Quartiere"),
        QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero"), QStringLiteral("EMail"),
        QStringLiteral("Riferimento")};
    const QStringList siteColumns = {
        QStringLiteral("Componente"),  QStringLiteral("TipoCompo"),   QStringLiteral("Denominazione"),
        QStringLiteral("CodComune"),   QStringLiteral("Cap"),         QStringLiteral("Indirizzo"),
        QStringLiteral("Tel"),         QStringLiteral("Fax"),         QStringLiteral("Cod_Quartiere"),
        QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero"), QStringLiteral("Email"),
        QStringLiteral("Riferimento")};

    Database& db = m_ctx.db;
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    Busy busy(m_ctx.control);
    return trap.run(QStringLiteral("Inserisci Nuova Richiesta"), [&] {
        const bool ok = db.inWriteTransaction([&] {
            QSqlQuery q = db.query();
            if (!db.exec(q,
                         QStringLiteral("SELECT COALESCE(MAX(Domanda), 0) + 1 FROM Domande "
                                        "WHERE GrupOpe = ? AND Operatore = ? AND PROV = ?"),
                         {op.group, op.code, province.code}) ||
                !q.next())
                return false;
            const int running = q.value(0).toInt();
            QSqlQuery insert = db.query();
            if (!db.exec(insert,
                         QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, A_DomPrece, "
                                        "A_GGPrece, A_MMPrece, A_AAAAPrece, A_DomPROV, A_Direttiva, A_AnnoDirettiva, "
                                        "Allega_1, Allega_2, Allega_3, Allega_4, Allega_5, Allega_6, "
                                        "DomandaStampata, DomandaTrasmessa) "
                                        "VALUES (?, ?, ?, ?, ?, '', '', '', '', '', '', '', 0, 0, 0, 0, 0, 0, 0, 0)"),
                         {number, op.group, op.code, province.code, running}))
                return false;
            QSqlQuery copyOperator = db.query();
            if (!db.exec(copyOperator,
                         QStringLiteral("UPDATE Domande SET (%1) = (SELECT %2 FROM CorsiOper WHERE GrupOpe = ? AND "
                                        "Operatore = ?) WHERE NumDoma = ? AND EXISTS (SELECT 1 FROM CorsiOper WHERE "
                                        "GrupOpe = ? AND Operatore = ?)")
                             .arg(quoted(requestColumns), quoted(operatorColumns)),
                         {op.group, op.code, number, op.group, op.code}))
                return false;
            QSqlQuery copySeat = db.query();
            const QString seat =
                QStringLiteral("FROM CorsiCompo WHERE GrupOpe = ? AND Operatore = ? AND TipoCompo = ?");
            return db.exec(
                copySeat,
                QStringLiteral("UPDATE Domande SET (%1) = (SELECT %2 %3 ORDER BY Componente LIMIT 1) "
                               "WHERE NumDoma = ? AND EXISTS (SELECT 1 %3)")
                    .arg(quoted(seatColumns), quoted(siteColumns), seat),
                {op.group, op.code, m_ctx.state.legalSeatType, number, op.group, op.code, m_ctx.state.legalSeatType});
        });
        return ok ? DbError() : db.lastError();
    });
}

} // namespace vx
