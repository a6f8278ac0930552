// Creating a Request against veltranorpx-regione over loopback HTTPS.

#include "RegioneProcess.h"
#include "TestContext.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "requests/RequestCreation.h"
#include "net/Exchange.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QSqlRecord>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

#include <memory>

using namespace vx;
using vx::test::IniValues;
using vx::test::RegioneProcess;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

namespace {

const QString kScrambled = QStringLiteral("sdfhnod;edln3137A");

class FakeScreens : public CreationScreens {
public:
    QStringList progress;
    QList<bool> emailAnswers; // what the e-mail prompt gives, in turn (true when none is left)
    int emailPrompts = 0;
    QString alternativeAnswer;
    QUrl loginPage;
    std::function<void()> onEmail;
    std::function<void(const QString&)> onProgress;

    void showProgress(const QString& text) override
    {
        progress.append(text);
        if (onProgress)
            onProgress(text);
    }
    bool askEmail() override
    {
        ++emailPrompts;
        if (onEmail)
            onEmail();
        return emailAnswers.isEmpty() ? true : emailAnswers.takeFirst();
    }
    QString alternativeIdentity(const QUrl& page) override
    {
        loginPage = page;
        return alternativeAnswer;
    }
};

// A computer with no program for the file or address at hand.
class RefusingDesktop : public Desktop {
public:
    QList<QUrl> tried;
    bool openUrl(const QUrl& url) override
    {
        tried.append(url);
        return false;
    }
    bool showTextFile(const QString& path) override { return openUrl(QUrl::fromLocalFile(path)); }
};

struct Fixture : vx::test::TestContext {
    TestInstallation inst;
    RegioneProcess server;
    FakeScreens screens;
    RefusingDesktop refusingDesktop;
    Context refusingCtx{state, db, prompter, control, refusingDesktop, clock};
    Exchange* exchange = nullptr; // while create() runs
    OperatorEntry op{QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE")};
    ProvinceEntry province{QStringLiteral("001"), QStringLiteral("TO"), QStringLiteral("TORINO")};

    Fixture()
    {
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.sql(QStringLiteral("INSERT INTO CorsiOper VALUES ('A', 12, 'CENTRO DI FORMAZIONE', '01', '97512340017', "
                                "'ROSSI MARIO', 'TORINO', 'TO', '10', '12', '1960', 'TO', '1234567', '1998', 85592, 2, "
                                "'IT60X0542811101000000123456', 'BANCA', 'AG. 3', 'VIA ROMA 1', '123456', 'CFP')"));
        inst.addOperator(QStringLiteral("C"), 305, QStringLiteral("SCUOLA"));
        inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, "
                                "CodComune, Cap, Indirizzo, Tel, Fax, Cod_Quartiere, StatoEstero, CittaEstero, Email, "
                                "Riferimento) VALUES ('A', 12, 1, 'SO', 'SEDE OPERATIVA', '001156', '10024', 'VIA X', "
                                "'1', '2', 0, '', '', 'so@x.it', 'BIANCHI'), ('A', 12, 2, 'SL', 'SEDE LEGALE', "
                                "'001272', '10121', 'VIA GARIBALDI 10', '0115550101', '0115550102', 3, '', '', "
                                "'sl@x.it', 'ROSSI')"));
        UserSettings user;
        user.setEmail(QStringLiteral("segreteria@ente.example"));
        user.setCertificate(RegioneProcess::certificates() + QStringLiteral("utente.p12"));
    }

    // Starts the server and writes the INI with its addresses.
    void start(const QStringList& extraConnessione = {})
    {
        QVERIFY(server.start());
        IniValues values;
        values.nreg = server.address(QStringLiteral("/nreg/numero"));
        values.pwd = kScrambled;
        QStringList lines = {
            QStringLiteral("AUTENTICAZIONE=") + server.address(QStringLiteral("/autenticazione/verifica")),
            QStringLiteral("NEMBO=") + server.address(QStringLiteral("/identita/risposta")),
            QStringLiteral("CERTIFICATI_CA=") + RegioneProcess::certificates() + QStringLiteral("ca.pem"),
            QStringLiteral("TEMPO_LIMITE=3"), QStringLiteral("PAGINA_CERTIFICATI=https://regione.example/certificati")};
        // A key given by the test takes the place of the default one.
        for (const QString& extra : extraConnessione) {
            const QString key = extra.left(extra.indexOf(QLatin1Char('=')) + 1);
            lines.removeIf([&](const QString& line) { return line.startsWith(key); });
            lines.append(extra);
        }
        values.connessione = lines;
        inst.writeIni(values);
        state = inst.state();
        state.credential = Settings::unscramble(kScrambled);
        state.serverLabel = Settings::serverLabel(values.nreg);
        QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    }

    bool create(const OperatorEntry& which, bool nothingOpens = false)
    {
        Exchange calls(ExchangeSettings::from(Settings::read(inst.ini())));
        exchange = &calls;
        RequestCreation creation(nothingOpens ? refusingCtx : ctx, calls, screens);
        const bool created = creation.create(which, province);
        exchange = nullptr;
        return created;
    }

    // The user's "Interrompi" `afterMs` into the `call`-th server call (1 identity page,
    // 2 authentication, 3 request number).
    void interruptCall(int call, int afterMs = 300)
    {
        auto calls = std::make_shared<int>(0);
        screens.onProgress = [this, call, afterMs, calls](const QString& text) {
            if (text == Exchange::stateText(Exchange::State::Connecting) && ++*calls == call) {
                QPointer<Exchange> running = exchange;
                QTimer::singleShot(afterMs, [running] {
                    if (running)
                        running->cancel();
                });
            }
        };
    }

    int requestCount()
    {
        QSqlQuery q = db.query();
        db.exec(q, QStringLiteral("SELECT COUNT(*) FROM Domande"));
        return q.next() ? q.value(0).toInt() : -1;
    }

    QString serverLabel() const { return state.serverLabel; }
    // The question for the personal certificate's password, answered with the right one.
    ScriptedPrompter& expectDemoPassword()
    {
        return prompter.expectPassword(QStringLiteral("Certificato personale"), QStringLiteral("demo"));
    }
};

const Message kInserted{QStringLiteral("Domanda inserita correttamente e selezionata."), QStringLiteral("VELTRANORPX"),
                        Icon::Information, Buttons::Ok};

Message notAssociated(const QString& group, int code)
{
    return {QStringLiteral("Il certificato selezionato non risulta essere associato all'operatore %1 - %2\n"
                           "Impossibile scaricare un numero di richiesta.")
                .arg(group)
                .arg(code),
            QStringLiteral("Certificato non abilitato."), Icon::Information, Buttons::Ok};
}

Message serverError(const QString& server, const QString& service)
{
    return {QStringLiteral("Si è verificato un errore sul server %1 (servizio: %2), cliccando su OK il sistema "
                           "cercherà di visualizzare ulteriori informazioni sull'errore. Contattare il servizio "
                           "assistenza KVR riportando questo messaggio e le informazioni visualizzate")
                .arg(server, service),
            QStringLiteral("ERRORE"), Icon::Critical, Buttons::Ok};
}

Message noNumber(const QString& server)
{
    return {QStringLiteral("Ritiro del numero di registrazione nuova domanda dal server %1 non riuscito.\n"
                           "E' pertanto impossibile inserire la domanda.")
                .arg(server),
            QStringLiteral("VELTRANORPX"), Icon::Critical, Buttons::Ok};
}

Message advice(const QString& reason)
{
    return {QStringLiteral("Connessione non effettuata \n\n") + reason +
                QStringLiteral("\n\nVerificare che il computer sia collegato a Internet, che le impostazioni del proxy "
                               "consentano di raggiungere il servizio di identificazione e che nelle Opzioni sia "
                               "indicato il proprio certificato personale."),
            QStringLiteral("VELTRANORPX"), Icon::Information, Buttons::Ok};
}

const Message kInstructions{QStringLiteral("Si procederà con la modalità di autenticazione alternativa:\n\n"
                                           "1. aprire un browser aggiornato sul computer dove è installato il proprio "
                                           "certificato digitale;\n"
                                           "2. collegarsi all'indirizzo che verrà mostrato;\n"
                                           "3. copiare il codice di abilitazione temporaneo ottenuto come risposta;\n"
                                           "4. incollarlo nella finestra che segue e confermare per continuare."),
                            QStringLiteral("Modalità di autenticazione alternativa."), Icon::Information, Buttons::Ok};

Message transferError(int code, const QString& text, const QString& extra = QString())
{
    return {QStringLiteral("Si è verificato un errore in trasmissione, %1 : %2").arg(code).arg(text) + extra,
            QStringLiteral("Errore di trasmissione"), Icon::Critical, Buttons::Ok};
}

const Message kConnectionError{QStringLiteral("Errore di connessione al server. Si consiglia di riprovare in un "
                                              "secondo momento."),
                               QStringLiteral("Errore di connessione"), Icon::Critical, Buttons::Ok};

const Message kInterrupted{QStringLiteral("Operazione interrotta dall'utente.\nLa domanda non è stata inserita."),
                           QStringLiteral("VELTRANORPX"), Icon::Information, Buttons::Ok};

Message cannotOpen(const QString& what)
{
    return {QStringLiteral("Impossibile aprire ") + what +
                QStringLiteral(".\nSu questo computer non c'è un programma che lo possa mostrare."),
            QStringLiteral("VELTRANORPX"), Icon::Exclamation, Buttons::Ok};
}

Message retryQuestion(const QString& server)
{
    return {QStringLiteral("Si è verificato un errore in fase di connessione con il server %1 (servizio: nreg/numero), "
                           "è probabile che si tratti di un errore temporaneo, Riprovare?")
                .arg(server),
            QStringLiteral("ERRORE"), Icon::Critical, Buttons::OkCancel};
}

} // namespace

class TstCreation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wholeCreation();
    void identityPageUnreachable();
    void wrongCertificatePasswordThenRight();
    void authenticationRefused();
    void numberAnswerRefused_data();
    void numberAnswerRefused();
    void htmlErrorPage();
    void untrustedServerCertificate();
    void slowServerThenTheUserEnds();
    void retryAfterATransferFailure();
    void emailGivenUp();
    void identityFromAnswers_data();
    void identityFromAnswers();

    void timeLimits_data();
    void timeLimits();
    void timeLimitOfACall_data();
    void timeLimitOfACall();
    void answerCap_data();
    void answerCap();
    void endlessAnswerInTheCreation();
    void userStopsACall_data();
    void userStopsACall();
    void identityPageServerError_data();
    void identityPageServerError();
    void numberHeldAlready();
    void credentialEncoded_data();
    void credentialEncoded();
    void credentialWithDelimitersAtTheServer();
    void formBodies_data();
    void formBodies();
    void errorPageNobodyCanOpen();
};

void TstCreation::wholeCreation()
{
    Fixture f;
    f.start();
    f.expectDemoPassword().expect(kInserted);
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);

    QCOMPARE(f.state.selected.number, 5000);
    QCOMPARE(f.state.selected.runningNumber, 1);
    QCOMPARE(f.state.selected.operatorName, QStringLiteral("CENTRO DI FORMAZIONE"));
    QCOMPARE(f.state.selected.provinceName, QStringLiteral("TORINO"));
    QCOMPARE(f.inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("5000"));
    QVERIFY(f.screens.progress.contains(QStringLiteral("Connessione al Server ... ")));
    QVERIFY(f.screens.progress.contains(QStringLiteral("Elaborazione dati scaricati completata.")));
    QCOMPARE(f.screens.emailPrompts, 1);

    QSqlQuery q = f.db.query();
    QVERIFY(f.db.exec(q, QStringLiteral("SELECT Domanda, DenominazioneOp, TipoOper, LegNome, Corrispondenza, ContIBAN, "
                                        "ContIntCC, Componente, TipoCompo, DenominazioneSL, CodComune, Tel, "
                                        "Cod_Quartiere, EMail, Riferimento, A_DomPrece, Allega_4, DomandaStampata "
                                        "FROM Domande WHERE NumDoma = 5000")));
    QVERIFY(q.next());
    QStringList row;
    for (int i = 0; i < q.record().count(); ++i)
        row.append(q.value(i).toString());
    QCOMPARE(row.join(QLatin1Char('|')),
             QStringLiteral("1|CENTRO DI FORMAZIONE|01|ROSSI MARIO|2|IT60X0542811101000000123456|"
                            "CFP|2|SL|SEDE LEGALE|001272|0115550101|3|sl@x.it|ROSSI||0|0"));

    // The next creation for the same operator and province continues the running number.
    f.expectDemoPassword().expect(kInserted);
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 5001);
    QCOMPARE(f.state.selected.runningNumber, 2);
    QVERIFY(f.server.log().contains(QStringLiteral("POST /nreg/numero 200")));
}

void TstCreation::identityPageUnreachable()
{
    Fixture f;
    f.start({QStringLiteral("NEMBO=https://127.0.0.1:1/identita/risposta")});
    UserSettings().setCertificate(QString());
    f.screens.alternativeAnswer =
        QStringLiteral("Risposta: OK;") + RegioneProcess::kIdentity + QStringLiteral(";9;A12");
    f.prompter.expect(advice(QStringLiteral("Nessun certificato personale disponibile su questo computer.")))
        .expect(kInstructions)
        .expect(kInserted);
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.screens.loginPage, QUrl(QStringLiteral("https://127.0.0.1:1/identita/accesso")));

    // With the certificate set, the page that cannot be reached leads the same way.
    UserSettings().setCertificate(RegioneProcess::certificates() + QStringLiteral("utente.p12"));
    f.screens.alternativeAnswer.clear(); // closed without confirming
    f.expectDemoPassword()
        .expect(advice(QStringLiteral("Impossibile visualizzare la pagina del servizio di identificazione (12029 : "
                                      "Impossibile stabilire la connessione con il server.)")))
        .expect(kInstructions)
        .expect(QStringLiteral("Autenticazione non riuscita"), QStringLiteral("Verifica certificato"), Icon::Critical)
        .expect(notAssociated(QStringLiteral("A"), 12));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.requestCount(), 1);
}

void TstCreation::wrongCertificatePasswordThenRight()
{
    Fixture f;
    f.start();
    f.prompter.expectPassword(QStringLiteral("Certificato personale"), QStringLiteral("sbagliata"))
        .expect(QStringLiteral("La password non è corretta, oppure il file non contiene un certificato personale "
                               "valido."),
                QStringLiteral("Certificato personale"), Icon::Exclamation)
        .expectPassword(QStringLiteral("Certificato personale"), QStringLiteral("demo"))
        .expect(kInserted);
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstCreation::authenticationRefused()
{
    Fixture f;
    f.start();
    const OperatorEntry other{QStringLiteral("C"), 305, QStringLiteral("SCUOLA")};
    f.expectDemoPassword().expect(notAssociated(QStringLiteral("C"), 305));
    QVERIFY(!f.create(other));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.requestCount(), 0);
    QCOMPARE(f.screens.emailPrompts, 0);
    QCOMPARE(f.state.selected.number, 0);
    QVERIFY(!f.server.log().contains(QStringLiteral("/nreg/numero")));
}

void TstCreation::numberAnswerRefused_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("ERRORE") << "errore";
    QTest::newRow("not a number") << "nonnumerico";
}

void TstCreation::numberAnswerRefused()
{
    QFETCH(QString, failure);
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("nreg=") + failure};
    f.start();
    f.expectDemoPassword()
        .expect(serverError(f.serverLabel(), QStringLiteral("nreg/numero")))
        .expect(noNumber(f.serverLabel()));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.requestCount(), 0);
    QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.inst.file(QStringLiteral("ErrServer.html")))});
}

void TstCreation::htmlErrorPage()
{
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("autenticazione=html")};
    f.start();
    f.inst.writeFile(QStringLiteral("ErrServer.html"), "vecchia pagina");
    f.expectDemoPassword()
        .expect(serverError(f.serverLabel(), QStringLiteral("autenticazione/verifica")))
        .expect(notAssociated(QStringLiteral("A"), 12));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QFile page(f.inst.file(QStringLiteral("ErrServer.html")));
    QVERIFY(page.open(QIODevice::ReadOnly));
    QVERIFY(page.readAll().startsWith("<html><head><title>500 Errore interno</title>"));
    QCOMPARE(f.desktop.opened.size(), 1);
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::untrustedServerCertificate()
{
    Fixture f;
    f.server.serverCertificate = QStringLiteral("server-non-fidato");
    f.start();
    f.screens.alternativeAnswer =
        QStringLiteral("Risposta: OK;") + RegioneProcess::kIdentity + QStringLiteral(";9;A12");
    const QString untrusted = QStringLiteral("Il certificato del server non è emesso da un'autorità riconosciuta.");
    f.expectDemoPassword()
        .expect(advice(QStringLiteral("Impossibile visualizzare la pagina del servizio di identificazione (12045 : ") +
                       untrusted + QLatin1Char(')')))
        .expect(kInstructions)
        .expect(transferError(12045, untrusted,
                              QStringLiteral("\nE' necessario installare il certificato di autorizzazione per "
                                             "l'accesso al server sicuro.\nPer procedere alla reinstallazione, cercare "
                                             "nel sistema il file CA_ROOT.DER ed eseguire un doppio click su di esso.\n"
                                             "Se il file è assente dal sistema, contattare il servizio assistenza")))
        .expect(kConnectionError)
        .expect(notAssociated(QStringLiteral("A"), 12));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::slowServerThenTheUserEnds()
{
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=6")};
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("nreg=lento")};
    f.start({QStringLiteral("TEMPO_LIMITE=1")});
    const QString server = f.serverLabel();
    f.expectDemoPassword()
        .expect(transferError(12002, QStringLiteral("Tempo scaduto: il server non ha risposto entro 1 secondi.")))
        .expect(retryQuestion(server), Answer::Cancel)
        .expect(QStringLiteral("L'errore che si è verificato potrebbe essere causato dalla mancanza di autorizzazione "
                               "per accedere al server ") +
                    server +
                    QStringLiteral(". Per avere l'autorizzazione è necessario: \n"
                                   "  - avere installato Microsoft Internet Explorer 4.01 o superiore \n"
                                   "  - avere installato il certificato di autorizzazione per l'accesso al server ") +
                    server +
                    QStringLiteral(".\nSe è necessario reinstallare il certificato di autorizzazione, riscaricarlo da "
                                   "Internet dall'indirizzo: \n\nhttps://regione.example/certificati\n\n"
                                   "Per ulteriori chiarimenti, contattare il servizio di assistenza K.V.R.Impossibile "
                                   "continuare con l'esecuzione dell'applicativo, il programma verrà terminato."),
                QStringLiteral("ERRORE"), Icon::Critical);
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended());
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::retryAfterATransferFailure()
{
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("nreg=caduta")};
    f.start();
    // On the second e-mail prompt the server is back without the failure.
    f.screens.onEmail = [&] {
        if (f.screens.emailPrompts == 2) {
            f.server.sections.remove(QStringLiteral("guasti"));
            QVERIFY(f.server.restart());
        }
    };
    f.expectDemoPassword()
        .expect(transferError(12030, QStringLiteral("La connessione è stata interrotta dal server.")))
        .expect(retryQuestion(f.serverLabel()), Answer::Ok)
        .expect(kInserted);
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.screens.emailPrompts, 2);
    QVERIFY(!f.control.ended());
    QCOMPARE(f.requestCount(), 1);
}

void TstCreation::emailGivenUp()
{
    Fixture f;
    f.start();
    f.screens.emailAnswers = {false, false};
    const Message question{QStringLiteral("E' necessario specificare un indirizzo e-mail per procedere.\n"
                                          "Specificarlo ora?"),
                           QStringLiteral("E-Mail"), Icon::None, Buttons::YesNo};
    f.expectDemoPassword()
        .expect(question, Answer::Yes)
        .expect(question, Answer::No)
        .expect(QStringLiteral("E' impossibile continuare.\nTrasmissione interrotta."), QStringLiteral("ERRORE"),
                Icon::Critical)
        .expect(noNumber(f.serverLabel()));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.screens.emailPrompts, 2);
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::identityFromAnswers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("id");
    auto row = [](const char* name, const char* text, const char* id) { QTest::newRow(name) << text << id; };
    row("answer", "Risposta: OK;40012345678901;17;A12", "40012345678901");
    row("lower case, blanks", "  risposta: ok; 123 ;1;B7\n", "123");
    row("refused", "Accesso negato", "");
    row("empty", "", "");
}

void TstCreation::identityFromAnswers()
{
    QFETCH(QString, text);
    QFETCH(QString, id);
    QCOMPARE(identityFromAnswer(text), id);
}

void TstCreation::timeLimits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds");
    QTest::newRow("one") << "1" << 1;
    QTest::newRow("blanks") << " 25 " << 25;
    QTest::newRow("an hour") << "3600" << 3600;
    QTest::newRow("over an hour") << "3601" << 60;
    QTest::newRow("zero") << "0" << 60;
    QTest::newRow("negative") << "-5" << 60;
    QTest::newRow("overflows a timer") << "2147484" << 60;
    QTest::newRow("wraps a timer") << "4294968" << 60;
    QTest::newRow("beyond 64 bits") << "99999999999999999999" << 60;
    QTest::newRow("not a number") << "abc" << 60;
    QTest::newRow("fraction") << "1.5" << 60;
    QTest::newRow("missing") << "" << 60;
}

void TstCreation::timeLimits()
{
    QFETCH(QString, text);
    QFETCH(int, seconds);
    QCOMPARE(Settings::parseTimeLimit(text), seconds);

    // From the INI file, through the settings, into the Exchange that makes the calls.
    TestInstallation inst;
    inst.writeIni({.connessione = {QStringLiteral("TEMPO_LIMITE=") + text}});
    const ExchangeSettings fromIni = ExchangeSettings::from(Settings::read(inst.ini()));
    QCOMPARE(fromIni.timeLimitMs, seconds * 1000);
    QCOMPARE(Exchange(fromIni).timeLimitMs(), seconds * 1000);

    // Settings made in code pass the same rule.
    Settings settings;
    settings.timeLimitSeconds = text.trimmed().toInt();
    QCOMPARE(Exchange(ExchangeSettings::from(settings)).timeLimitMs(), seconds * 1000);

    // And so does an Exchange given milliseconds directly (the wrapped value of the text, as an int
    // of milliseconds would hold it).
    ExchangeSettings direct;
    direct.timeLimitMs = static_cast<int>(static_cast<qint64>(text.trimmed().toLongLong()) * 1000);
    QCOMPARE(Exchange(direct).timeLimitMs(), seconds * 1000);
}

void TstCreation::timeLimitOfACall_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("delay"); // seconds the server takes
    QTest::addColumn<bool>("answered");
    QTest::newRow("1 s runs out") << "1" << 2 << false;
    // Taken as milliseconds in an int, these would disarm the timer or make it 0.7 s.
    QTest::newRow("2147484 waits the default") << "2147484" << 1 << true;
    QTest::newRow("4294968 waits the default") << "4294968" << 1 << true;
}

void TstCreation::timeLimitOfACall()
{
    QFETCH(QString, text);
    QFETCH(int, delay);
    QFETCH(bool, answered);
    RegioneProcess server;
    server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=%1").arg(delay)};
    server.sections[QStringLiteral("guasti")] = {QStringLiteral("versione=lento")};
    QVERIFY(server.start());
    TestInstallation inst;
    inst.writeIni({.connessione = {QStringLiteral("TEMPO_LIMITE=") + text, QStringLiteral("CERTIFICATI_CA=") +
                                                                               RegioneProcess::certificates() +
                                                                               QStringLiteral("ca.pem")}});
    Exchange exchange(ExchangeSettings::from(Settings::read(inst.ini())));
    QElapsedTimer clock;
    clock.start();
    const TransferResult result = exchange.postForm(QUrl(server.address(QStringLiteral("/versione/verifica"))),
                                                    "applicativo=VELTRANORPX&anno=2017");
    const qint64 elapsed = clock.elapsed();
    if (answered) {
        QCOMPARE(result.errorCode, 0);
        QVERIFY(result.answer.startsWith(QLatin1String("1.0.0#")));
        QVERIFY2(elapsed >= delay * 1000 - 100, qPrintable(QString::number(elapsed)));
    } else {
        QCOMPARE(result.errorCode, int(Exchange::kTimeout));
        QVERIFY2(elapsed >= 900 && elapsed < delay * 1000, qPrintable(QString::number(elapsed)));
    }
}

void TstCreation::answerCap_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("endless, default cap") << "infinita" << qint64(-1) << int(Exchange::kAnswerTooLarge)
                                          << "La risposta del server supera il limite di 4 MiB.";
    QTest::newRow("endless, the call's cap") << "infinita" << qint64(256 * 1024) << int(Exchange::kAnswerTooLarge)
                                             << "La risposta del server supera il limite di 256 KiB.";
    QTest::newRow("short answer, a cap below it") << "nessuno" << qint64(20) << int(Exchange::kAnswerTooLarge)
                                                  << "La risposta del server supera il limite di 20 byte.";
    QTest::newRow("short answer, within the cap") << "nessuno" << qint64(1024) << 0 << "";
}

void TstCreation::answerCap()
{
    QFETCH(QString, failure);
    QFETCH(qint64, limit);
    QFETCH(int, code);
    QFETCH(QString, text);
    RegioneProcess server;
    server.sections[QStringLiteral("guasti")] = {QStringLiteral("versione=") + failure};
    QVERIFY(server.start());
    ExchangeSettings settings;
    settings.caFile = RegioneProcess::certificates() + QStringLiteral("ca.pem");
    Exchange exchange(settings);
    const QUrl url(server.address(QStringLiteral("/versione/verifica")));
    const QByteArray body = "applicativo=VELTRANORPX&anno=2017";
    const TransferResult result = limit < 0 ? exchange.postForm(url, body) : exchange.postForm(url, body, limit);
    QCOMPARE(result.errorCode, code);
    QCOMPARE(result.errorText, text);
    QCOMPARE(result.failed(), code != 0);
    if (code != 0)
        QVERIFY(result.raw.isEmpty());
}

void TstCreation::endlessAnswerInTheCreation()
{
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("autenticazione=infinita")};
    f.start();
    f.expectDemoPassword()
        .expect(transferError(12152, QStringLiteral("La risposta del server supera il limite di 4 MiB.")))
        .expect(kConnectionError)
        .expect(notAssociated(QStringLiteral("A"), 12));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::userStopsACall_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<int>("call");
    QTest::newRow("identity page") << "identita" << 1;
    QTest::newRow("authentication") << "autenticazione" << 2;
    QTest::newRow("request number") << "nreg" << 3;
}

void TstCreation::userStopsACall()
{
    QFETCH(QString, service);
    QFETCH(int, call);
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=30")};
    f.server.sections[QStringLiteral("guasti")] = {service + QStringLiteral("=lento")};
    f.start({QStringLiteral("TEMPO_LIMITE=60")});
    f.interruptCall(call);
    // What happened is said: no certificate refused, no retry, no end of the program.
    f.expectDemoPassword().expect(kInterrupted);
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!f.create(f.op));
    QVERIFY(clock.elapsed() < 10000);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.control.ended());
    QCOMPARE(f.requestCount(), 0);
    QCOMPARE(f.state.selected.number, 0);
    QVERIFY(f.desktop.opened.isEmpty());
}

void TstCreation::identityPageServerError_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("HTML error page") << "html";
    QTest::newRow("ERRORE") << "errore";
}

void TstCreation::identityPageServerError()
{
    QFETCH(QString, failure);
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("identita=") + failure};
    f.start();
    f.expectDemoPassword().expect(serverError(f.serverLabel(), QStringLiteral("identita/risposta")));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.inst.file(QStringLiteral("ErrServer.html")))});
    QVERIFY(!f.server.log().contains(QStringLiteral("/autenticazione/verifica")));
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::numberHeldAlready()
{
    Fixture f;
    // The stand-in's first number is in this database already, for another operator.
    f.inst.addRequest(5000, QStringLiteral("C"), 305, QStringLiteral("001"), 1);
    f.start();
    f.expectDemoPassword().expect(
        QStringLiteral("Il numero di richiesta 5000, assegnato dal server %1, esiste già in questo archivio.\n"
                       "E' pertanto impossibile inserire la domanda.")
            .arg(f.serverLabel()),
        QStringLiteral("VELTRANORPX"), Icon::Critical);
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.control.ended());
    QCOMPARE(f.requestCount(), 1);
    QCOMPARE(f.state.selected.number, 0);

    // The next number is a new one, and the creation goes through.
    f.expectDemoPassword().expect(kInserted);
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 5001);
    QCOMPARE(f.state.selected.runningNumber, 1);
}

void TstCreation::credentialEncoded_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("plain") << "demo2026";
    QTest::newRow("at") << "de@mo";
    QTest::newRow("slash") << "de/mo";
    QTest::newRow("hash") << "de#mo";
    QTest::newRow("question mark") << "de?mo";
    QTest::newRow("percent") << "de%41mo";
    QTest::newRow("colon") << "de:mo";
    QTest::newRow("all of them") << "@/#?%:";
    QTest::newRow("dollar and star") << "$mirto$52*";
}

void TstCreation::credentialEncoded()
{
    QFETCH(QString, password);
    const QUrl url = Exchange::withCredential(QStringLiteral("https://regione.example:8443/nreg/numero"),
                                              QStringLiteral("regione:") + password + QLatin1Char('@'));
    QVERIFY(url.isValid());
    QCOMPARE(url.scheme(), QStringLiteral("https"));
    QCOMPARE(url.host(), QStringLiteral("regione.example"));
    QCOMPARE(url.port(), 8443);
    QCOMPARE(url.path(), QStringLiteral("/nreg/numero"));
    QVERIFY(!url.hasQuery());
    QVERIFY(!url.hasFragment());
    QCOMPARE(url.userName(QUrl::FullyDecoded), QStringLiteral("regione"));
    QCOMPARE(url.password(QUrl::FullyDecoded), password);
}

void TstCreation::credentialWithDelimitersAtTheServer()
{
    const QString password = QStringLiteral("p@s/s#w?o%rd:1");
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("account=regione:") + password};
    f.start();
    f.state.credential = QStringLiteral("regione:") + password + QLatin1Char('@');
    f.expectDemoPassword().expect(kInserted);
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 5000);
}

void TstCreation::formBodies_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("encoded");
    QTest::newRow("plain") << "A" << QByteArray("A");
    QTest::newRow("empty") << "" << QByteArray("");
    QTest::newRow("plus") << "a+b@x.it" << QByteArray("a%2Bb%40x.it");
    QTest::newRow("delimiters") << "a&b=c" << QByteArray("a%26b%3Dc");
    QTest::newRow("blank, percent, hash") << "a b%#" << QByteArray("a%20b%25%23");
    QTest::newRow("accent") << "è" << QByteArray("%C3%A8");
}

void TstCreation::formBodies()
{
    QFETCH(QString, value);
    QFETCH(QByteArray, encoded);
    QCOMPARE(Exchange::formBody({{QStringLiteral("gruppo"), QStringLiteral("A")},
                                 {QStringLiteral("email"), value},
                                 {QStringLiteral("applicativo"), QStringLiteral("VELTRANORPX")}}),
             "gruppo=A&email=" + encoded + "&applicativo=VELTRANORPX");
    // What a form reader makes of it is the value again.
    const QUrlQuery read(QString::fromLatin1("email=" + encoded));
    QCOMPARE(read.queryItemValue(QStringLiteral("email"), QUrl::FullyDecoded), value);
}

void TstCreation::errorPageNobodyCanOpen()
{
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("nreg=errore")};
    f.start();
    const QString page = f.inst.file(QStringLiteral("ErrServer.html"));
    f.expectDemoPassword()
        .expect(serverError(f.serverLabel(), QStringLiteral("nreg/numero")))
        .expect(cannotOpen(QDir::toNativeSeparators(page)))
        .expect(noNumber(f.serverLabel()));
    QVERIFY(!f.create(f.op, true));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.refusingDesktop.tried, QList<QUrl>{QUrl::fromLocalFile(page)});
    QVERIFY(QFile::exists(page));
}

QTEST_GUILESS_MAIN(TstCreation)
#include "tst_creation.moc"
