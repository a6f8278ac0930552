// Creating a Request against veltranorpx-regione over loopback HTTPS.

#include "RequestsFixture.h"
#include "Support.h"
#include "TestContext.h"

#include "core/Messages.h"
#include "core/Modules.h"
#include "core/Settings.h"
#include "net/Exchange.h"
#include "net/Messages.h"
#include "net/ServerCall.h"
#include "requests/Messages.h"
#include "requests/RequestCreation.h"

#include <QDir>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <memory>

using namespace vx;
using vx::test::RegioneProcess;
using vx::test::TestInstallation;
namespace req = vx::msg::requests;

namespace {

class FakeScreens : public CreationScreens {
public:
    QStringList progress;
    QList<bool> emailAnswers; // what the e-mail prompt gives, in turn (true when none is left)
    int emailPrompts = 0;
    QString alternativeAnswer;
    QUrl loginPage;
    std::function<void()> onEmail;

    void showProgress(const QString& text) override { progress.append(text); }
    bool askEmail() override
    {
        ++emailPrompts;
        if (onEmail)
            onEmail();
        return emailAnswers.isEmpty() || emailAnswers.takeFirst();
    }
    QString alternativeIdentity(const QUrl& page) override
    {
        loginPage = page;
        return alternativeAnswer;
    }
};

struct Fixture : vx::test::InstalledContext {
    RegioneProcess server;
    FakeScreens screens;
    vx::test::RefusingDesktop refusingDesktop;
    OperatorEntry op{QStringLiteral("A"), 12, QStringLiteral("CENTRO DI FORMAZIONE")};

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
        vx::test::setUserIdentity();
    }

    // Starts the server (with `failure`, "service=kind", when given) and writes the INI with its addresses.
    void start(const QString& failure = QString(), const QStringList& extra = {})
    {
        if (!failure.isEmpty())
            server.sections[QStringLiteral("guasti")] = {failure};
        QVERIFY(vx::test::installOn(server, *this, extra));
    }

    bool create(const OperatorEntry& which, bool nothingOpens = false)
    {
        Exchange calls(ExchangeSettings::from(Settings::read(inst.ini())));
        Context refusing{state, db, prompter, control, refusingDesktop, clock};
        RequestCreation creation(nothingOpens ? refusing : ctx, calls, screens);
        return creation.create(which, {QStringLiteral("001"), QStringLiteral("TO"), QStringLiteral("TORINO")});
    }

    int requestCount() { return int(vx::test::dumpOf(db).value(QStringLiteral("Domande")).size()); }
    QString page() const { return inst.file(QStringLiteral("ErrServer.html")); }
    // The personal certificate's password, answered right; then `messages`.
    void expect(const QList<Message>& messages)
    {
        prompter.expectPassword(QStringLiteral("Certificato personale"), QStringLiteral("demo"));
        for (const Message& m : messages)
            prompter.expect(m, m.buttons == Buttons::OkCancel ? Answer::Cancel : Answer::Ok);
    }
};

// What the exchange with the regional servers says on the way.
Message serverError(const QString& server, const QString& service)
{
    return {QStringLiteral("Si è verificato un errore sul server %1 (servizio: %2), cliccando su OK il sistema "
                           "cercherà di visualizzare ulteriori informazioni sull'errore. Contattare il servizio "
                           "assistenza KVR riportando questo messaggio e le informazioni visualizzate")
                .arg(server, service),
            QStringLiteral("ERRORE"), Icon::Critical, Buttons::Ok};
}
Message notConnected(const QString& reason)
{
    return {QStringLiteral("Connessione non effettuata \n\n") + reason +
                QStringLiteral("\n\nVerificare che il computer sia collegato a Internet, che le impostazioni del proxy "
                               "consentano di raggiungere il servizio di identificazione e che nelle Opzioni sia "
                               "indicato il proprio certificato personale."),
            kAppTitle, Icon::Information, Buttons::Ok};
}
const Message kAlternative{QStringLiteral("Si procederà con la modalità di autenticazione alternativa:\n\n"
                                          "1. aprire un browser aggiornato sul computer dove è installato il proprio "
                                          "certificato digitale;\n"
                                          "2. collegarsi all'indirizzo che verrà mostrato;\n"
                                          "3. copiare il codice di abilitazione temporaneo ottenuto come risposta;\n"
                                          "4. incollarlo nella finestra che segue e confermare per continuare."),
                           QStringLiteral("Modalità di autenticazione alternativa."), Icon::Information, Buttons::Ok};
const Message kConnectionError{QStringLiteral("Errore di connessione al server. Si consiglia di riprovare in un "
                                              "secondo momento."),
                               QStringLiteral("Errore di connessione"), Icon::Critical, Buttons::Ok};
Message transferError(int code, const QString& text)
{
    TransferResult result;
    result.errorCode = code;
    result.errorText = text;
    return transferErrorMessage(result);
}
const QString kUntrusted = QStringLiteral("Il certificato del server non è emesso da un'autorità riconosciuta.");

} // namespace

class TstCreation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void wholeCreation();
    void alternativeIdentification();
    void authenticationRefused();
    void serverErrors_data();
    void serverErrors();
    void transferFailures_data();
    void transferFailures();
    void retryAfterATransferFailure();
    void emailGivenUp();
    void numberHeldAlready();
    void formBodies();
    void networkModuleMissing();
};

// Every identification but the alternative one presents the personal certificate.
void TstCreation::init()
{
    static const QByteArrayList withoutCertificate{"alternativeIdentification", "formBodies", "networkModuleMissing"};
    if (!withoutCertificate.contains(QTest::currentTestFunction()))
        VX_NEEDS_PERSONAL_CERTIFICATE();
}

// The whole creation, with a credential full of URL delimiters; then another for the same operator
// and province, after a wrong password of the personal certificate.
void TstCreation::wholeCreation()
{
    const QString password = QStringLiteral("p@s/s#w?o%rd:1");
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("account=regione:") + password};
    f.start();
    f.state.credential = QStringLiteral("regione:") + password + QLatin1Char('@');
    f.expect({req::notice(req::Notice::Inserted)});
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 5000);
    QCOMPARE(f.state.selected.provinceName, QStringLiteral("TORINO"));
    QCOMPARE(f.inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("5000"));
    QVERIFY(f.screens.progress.contains(QStringLiteral("Elaborazione dati scaricati completata.")));
    QCOMPARE(f.screens.emailPrompts, 1);
    // The operator's block and its legal seat's, copied into the row.
    QSqlQuery q = f.db.query();
    QVERIFY(f.db.exec(q, QStringLiteral("SELECT Domanda, DenominazioneOp, TipoOper, LegNome, Corrispondenza, ContIBAN, "
                                        "ContIntCC, Componente, TipoCompo, DenominazioneSL, CodComune, Tel, "
                                        "Cod_Quartiere, EMail, Riferimento, A_DomPrece, Allega_4, DomandaStampata "
                                        "FROM Domande WHERE NumDoma = 5000")) &&
            q.next());
    QStringList row;
    for (int i = 0; i < q.record().count(); ++i)
        row.append(q.value(i).toString());
    QCOMPARE(row.join(QLatin1Char('|')),
             QStringLiteral("1|CENTRO DI FORMAZIONE|01|ROSSI MARIO|2|IT60X0542811101000000123456|"
                            "CFP|2|SL|SEDE LEGALE|001272|0115550101|3|sl@x.it|ROSSI||0|0"));
    f.prompter.expectPassword(QStringLiteral("Certificato personale"), QStringLiteral("sbagliata"))
        .expect(QStringLiteral("La password non è corretta, oppure il file non contiene un certificato personale "
                               "valido."),
                QStringLiteral("Certificato personale"), Icon::Exclamation);
    f.expect({req::notice(req::Notice::Inserted)});
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 5001);
    QCOMPARE(f.state.selected.runningNumber, 2);
}

void TstCreation::alternativeIdentification()
{
    Fixture f;
    f.start(QString(), {QStringLiteral("NEMBO=https://127.0.0.1:1/identita/risposta")});
    UserSettings().setCertificate(QString());
    f.screens.alternativeAnswer =
        QStringLiteral("Risposta: OK;") + RegioneProcess::kIdentity + QStringLiteral(";9;A12");
    f.prompter.expect(notConnected(QStringLiteral("Nessun certificato personale disponibile su questo computer.")))
        .expect(kAlternative)
        .expect(req::notice(req::Notice::Inserted));
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.screens.loginPage, QUrl(QStringLiteral("https://127.0.0.1:1/identita/accesso")));
}

void TstCreation::authenticationRefused()
{
    Fixture f;
    f.start();
    f.expect({req::notAssociated(QStringLiteral("C"), 305)});
    QVERIFY(!f.create({QStringLiteral("C"), 305, QStringLiteral("SCUOLA")}));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.requestCount(), 0);
    QCOMPARE(f.screens.emailPrompts, 0);
    QVERIFY(!f.server.log().contains(QStringLiteral("/nreg/numero")));
}

// An error answer or page: told, written to ErrServer.html (an older one replaced) and opened; no
// Request is added, and no later service is called.
void TstCreation::serverErrors_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("service");
    QTest::addColumn<bool>("opens"); // a program can open the page
    QTest::newRow("identity, page") << "identita=html"
                                    << "identita/risposta" << true;
    QTest::newRow("authentication, page") << "autenticazione=html"
                                          << "autenticazione/verifica" << true;
    QTest::newRow("number, ERRORE") << "nreg=errore"
                                    << "nreg/numero" << true;
    QTest::newRow("number, not a number") << "nreg=nonnumerico"
                                          << "nreg/numero" << true;
    QTest::newRow("number, nothing opens the page") << "nreg=errore"
                                                    << "nreg/numero" << false;
}

void TstCreation::serverErrors()
{
    QFETCH(QString, failure);
    QFETCH(QString, service);
    QFETCH(bool, opens);
    Fixture f;
    f.start(failure);
    f.inst.writeFile(QStringLiteral("ErrServer.html"), "vecchia pagina");
    const QString server = f.state.serverLabel;
    QList<Message> messages{serverError(server, service)};
    if (!opens)
        messages.append(msg::core::cannotOpen(QUrl::fromLocalFile(f.page())));
    if (service.startsWith(QLatin1String("nreg")))
        messages.append(req::noNumber(server));
    else if (service.startsWith(QLatin1String("autenticazione")))
        messages.append(req::notAssociated(QStringLiteral("A"), 12));
    f.expect(messages);
    QVERIFY(!f.create(f.op, !opens));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.requestCount(), 0);
    QCOMPARE(f.desktop.opened, opens ? QList<QUrl>{QUrl::fromLocalFile(f.page())} : QList<QUrl>());
    QVERIFY(vx::test::readFile(f.page()) != "vecchia pagina");
    if (service.startsWith(QLatin1String("identita")))
        QVERIFY(!f.server.log().contains(QStringLiteral("/autenticazione/verifica")));
}

void TstCreation::transferFailures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("untrusted server") << ""
                                      << "server-non-fidato" << 12045 << kUntrusted;
    QTest::newRow("endless answer") << "autenticazione=infinita"
                                    << "server" << 12152 << "La risposta del server supera il limite di 4 MiB.";
    // The number service stays silent past the time limit; the user gives up, and the program ends.
    QTest::newRow("slow number service") << "nreg=lento"
                                         << "server" << 12002
                                         << "Tempo scaduto: il server non ha risposto entro 1 secondi.";
}

void TstCreation::transferFailures()
{
    QFETCH(QString, failure);
    QFETCH(QString, certificate);
    QFETCH(int, code);
    QFETCH(QString, text);
    if (code == 12152 && vx::test::underWine())
        QSKIP("Wine's sockets carry the TLS stream too slowly to reach 4 MiB within the 3-second limit");
    Fixture f;
    f.server.serverCertificate = certificate;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=6")};
    f.start(failure, {QStringLiteral("TEMPO_LIMITE=") + (code == 12002 ? "1" : "3")});
    const QString server = f.state.serverLabel;
    f.screens.alternativeAnswer =
        QStringLiteral("Risposta: OK;") + RegioneProcess::kIdentity + QStringLiteral(";9;A12");
    QList<Message> messages;
    if (code == 12045) {
        messages << notConnected(QStringLiteral("Impossibile visualizzare la pagina del servizio di identificazione "
                                                "(12045 : ") +
                                 kUntrusted + QLatin1Char(')'))
                 << kAlternative;
    }
    messages << transferError(code, text);
    if (code == 12002)
        messages << req::retryConnection(server, QStringLiteral("nreg/numero"))
                 << req::noAuthorisation(server, QStringLiteral("https://regione.example/certificati"));
    else
        messages << kConnectionError << req::notAssociated(QStringLiteral("A"), 12);
    f.expect(messages);
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.control.ended(), code == 12002);
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::retryAfterATransferFailure()
{
    Fixture f;
    f.start(QStringLiteral("nreg=caduta"));
    // On the second e-mail prompt the server is back without the failure.
    f.screens.onEmail = [&] {
        if (f.screens.emailPrompts == 2) {
            f.server.sections.remove(QStringLiteral("guasti"));
            QVERIFY(f.server.restart());
        }
    };
    f.expect({transferError(12030, QStringLiteral("La connessione è stata interrotta dal server."))});
    f.prompter.expect(req::retryConnection(f.state.serverLabel, QStringLiteral("nreg/numero")), Answer::Ok)
        .expect(req::notice(req::Notice::Inserted));
    QVERIFY(f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.screens.emailPrompts, 2);
    QCOMPARE(f.requestCount(), 1);
}

void TstCreation::emailGivenUp()
{
    Fixture f;
    f.start();
    f.screens.emailAnswers = {false, false};
    f.expect({});
    f.prompter.expect(req::notice(req::Notice::EmailNeeded), Answer::Yes)
        .expect(req::notice(req::Notice::EmailNeeded), Answer::No);
    f.prompter.expect(req::notice(req::Notice::CannotContinue)).expect(req::noNumber(f.state.serverLabel));
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.screens.emailPrompts, 2);
    QCOMPARE(f.requestCount(), 0);
}

void TstCreation::numberHeldAlready()
{
    Fixture f;
    // The stand-in's first number is in this database already, for another operator.
    f.inst.addRequest(5000, QStringLiteral("C"), 305, QStringLiteral("001"), 1);
    f.start();
    f.expect({req::numberHeldAlready(5000, f.state.serverLabel)});
    QVERIFY(!f.create(f.op));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.control.ended());
    QCOMPARE(f.requestCount(), 1);
    QCOMPARE(f.state.selected.number, 0);
    // The next number is a new one, and the creation goes through.
    f.expect({req::notice(req::Notice::Inserted)});
    QVERIFY(f.create(f.op));
    QCOMPARE(f.state.selected.number, 5001);
    QCOMPARE(f.state.selected.runningNumber, 1);
}

// The values of a form travel encoded, each read back as itself: none can add or end a field.
void TstCreation::formBodies()
{
    const std::pair<QString, QByteArray> cases[] = {{QStringLiteral(""), ""},
                                                    {QStringLiteral("a+b@x.it"), "a%2Bb%40x.it"},
                                                    {QStringLiteral("a&b=c"), "a%26b%3Dc"},
                                                    {QStringLiteral("a b%#"), "a%20b%25%23"},
                                                    {QStringLiteral("è"), "%C3%A8"}};
    for (const auto& [value, encoded] : cases) {
        QCOMPARE(Exchange::formBody({{QStringLiteral("gruppo"), QStringLiteral("A")},
                                     {QStringLiteral("email"), value},
                                     {QStringLiteral("applicativo"), QStringLiteral("VELTRANORPX")}}),
                 "gruppo=A&email=" + encoded + "&applicativo=VELTRANORPX");
        QCOMPARE(QUrlQuery(QString::fromLatin1("email=" + encoded))
                     .queryItemValue(QStringLiteral("email"), QUrl::FullyDecoded),
                 value);
    }
}

QTEST_GUILESS_MAIN(TstCreation)
// Without the network module a call fails, saying which file is missing, and no certificate is
// read (the identification then goes the alternative way).
void TstCreation::networkModuleMissing()
{
    const QTemporaryDir empty;
    modules::setFolders({empty.path()});
    Exchange exchange{ExchangeSettings{}};
    const TransferResult result = exchange.postForm(QUrl(QStringLiteral("https://127.0.0.1:9/")), "a=1");
    const bool available = Exchange::moduleAvailable();
    modules::setFolders({});
    QVERIFY(result.failed());
    QCOMPARE(result.errorCode, int(Exchange::kOtherFailure));
    QCOMPARE(result.errorText, msg::net::moduleMissing(Exchange::moduleFileName()));
    QVERIFY(!available);
    QVERIFY(Exchange::moduleAvailable());
}

#include "tst_creation.moc"
