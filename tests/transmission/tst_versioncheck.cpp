// The version check against veltranorpx-regione: each status of the region's answer, the versions
// below the lowest allowed and below the most recent (compared as numbers), and the server's
// failures, each with what the user reads.

#include "RegioneProcess.h"
#include "TestContext.h"

#include "net/Exchange.h"
#include "transmission/VersionCheck.h"

#include <QFile>
#include <QTest>

using namespace vx;
using vx::test::RegioneProcess;

namespace {

const QString kService = QStringLiteral("versione/verifica");
const QString kServer = QStringLiteral("regione.example");

Message notManaged(const QString& version)
{
    return {QStringLiteral("La presente versione dell'applicativo ( ") + version +
                QStringLiteral(" ) non è più gestita dalla Regione.\r\nImpossibile effettuare la trasmissione, per "
                               "ulteriori informazioni contattare il servizio di assistenza KVR."),
            QStringLiteral("Controllo Versione"), Icon::Exclamation, Buttons::Ok};
}

Message notAuthorised(const QString& version, const QString& latest)
{
    return {QStringLiteral("La presente versione dell'applicativo ( ") + version +
                QStringLiteral(" ) non è autorizzata a trasmettere.\r\nScaricare da Internet la nuova versione: ") +
                latest,
            QStringLiteral("Controllo Versione"), Icon::Critical, Buttons::Ok};
}

Message notLatest(const QString& version, const QString& latest)
{
    return {QStringLiteral("La presente versione dell'applicativo ( ") + version +
                QStringLiteral(" ) non è la più recente.\r\nSi consiglia di scaricare da Internet la nuova "
                               "versione: ") +
                latest + QStringLiteral("\r\nLa trasmissione avverrà comunque."),
            QStringLiteral("Controllo Versione"), Icon::Exclamation, Buttons::Ok};
}

Message serverMessage(const QString& answer)
{
    return {QStringLiteral("Operazione non riuscita (servizio: ") + kService +
                QStringLiteral("). Il server ha restituito il seguente messaggio di errore: \r\n\r\n") + answer +
                QStringLiteral("\r\n\r\nControllare i dati immessi e ritentare l'operazione, oppure contattare il "
                               "servizio di assistenza KVR riportando questo messaggio."),
            QStringLiteral("Errore restituito dal Server"), Icon::Critical, Buttons::Ok};
}

struct Fixture : vx::test::InstalledContext {
    RegioneProcess server;
    std::unique_ptr<Exchange> exchange;

    Fixture() { state.serverLabel = kServer; }
    bool run(const QString& version)
    {
        if (!server.start())
            return false;
        ExchangeSettings settings;
        settings.caFile = RegioneProcess::certificates() + QStringLiteral("ca.pem");
        settings.timeLimitMs = 5000;
        exchange = std::make_unique<Exchange>(settings);
        VersionCheck check(ctx, *exchange, version);
        return check.run(QUrl(server.address(QStringLiteral("/versione/verifica"))));
    }
};

} // namespace

class TstVersionCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void compare_data();
    void compare();
    void answers_data();
    void answers();
    void htmlPage();
    void connectionDropped();
};

void TstVersionCheck::compare_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("sign");

    QTest::newRow("equal") << "1.2.3"
                           << "1.2.3" << 0;
    QTest::newRow("ten after nine") << "1.0.10"
                                    << "1.0.9" << 1;
    QTest::newRow("minor counts before revision") << "1.1.0"
                                                  << "1.0.99" << 1;
    QTest::newRow("major first") << "2.0.0"
                                 << "10.0.0" << -1;
    QTest::newRow("leading zero is the same number") << "1.02.0"
                                                     << "1.2.0" << 0;
    QTest::newRow("not three numbers: as text") << "1.0"
                                                << "1.0.0" << -1;
    QTest::newRow("letters: as text") << "1.0.b"
                                      << "1.0.a" << 1;
    QTest::newRow("signed part: as text") << "1.0.-1"
                                          << "1.0.0" << -1;
}

void TstVersionCheck::compare()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, sign);
    const int result = compareVersions(a, b);
    QCOMPARE((result > 0) - (result < 0), sign);
    const int reverse = compareVersions(b, a);
    QCOMPARE((reverse > 0) - (reverse < 0), -sign);
}

void TstVersionCheck::answers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QList<Message>>("messages");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("S whatever the versions") << "1.0.0#1.0.0#S#x#"
                                             << "1.0.0" << QList<Message>{notManaged("1.0.0")} << false;
    QTest::newRow("A") << "1.0.0#1.0.0#A#Trasmissioni sospese#"
                       << "1.0.0"
                       << QList<Message>{{QStringLiteral("Trasmissioni sospese"), QStringLiteral("Trasmissione"),
                                          Icon::Critical, Buttons::Ok}}
                       << false;
    QTest::newRow("M, then the check goes on")
        << "1.0.0#1.2.0#M#Avviso della Regione#"
        << "1.1.0"
        << QList<Message>{{QStringLiteral("Avviso della Regione"), QStringLiteral("Trasmissione"), Icon::Information,
                           Buttons::Ok},
                          notLatest("1.1.0", "1.2.0")}
        << true;
    QTest::newRow("older than the latest") << "1.0.0#1.2.0#N#x#"
                                           << "1.1.0" << QList<Message>{notLatest("1.1.0", "1.2.0")} << true;
    QTest::newRow("below the lowest") << "1.2.0#1.2.0#N#x#"
                                      << "1.1.0" << QList<Message>{notAuthorised("1.1.0", "1.2.0")} << false;
    QTest::newRow("1.0.10 is newer than 1.0.9") << "1.0.9#1.0.9#N#x#"
                                                << "1.0.10" << QList<Message>() << true;
    QTest::newRow("newer than the latest") << "1.0.0#1.2.0#N#x#"
                                           << "1.3.0" << QList<Message>() << true;
    QTest::newRow("the latest") << "1.0.0#1.2.0#N#x#"
                                << "1.2.0" << QList<Message>() << true;
    QTest::newRow("Errore in any case") << "Errore: anno non previsto"
                                        << "1.2.0" << QList<Message>{serverMessage("Errore: anno non previsto")}
                                        << false;
}

void TstVersionCheck::answers()
{
    QFETCH(QString, answer);
    QFETCH(QString, version);
    QFETCH(QList<Message>, messages);
    QFETCH(bool, allowed);
    Fixture f;
    f.server.sections[QStringLiteral("server")] = {QStringLiteral("versione=") + answer};
    for (const Message& m : messages)
        f.prompter.expect(m);
    QCOMPARE(f.run(version), allowed);
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstVersionCheck::htmlPage()
{
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("versione=html")};
    f.prompter.expect(QStringLiteral("Si è verificato un errore sul server ") + kServer +
                          QStringLiteral(" (servizio: ") + kService +
                          QStringLiteral("), cliccando su OK il sistema cercherà di visualizzare ulteriori "
                                         "informazioni sull'errore. Contattare il servizio assistenza KVR riportando "
                                         "questo messaggio e le informazioni visualizzate"),
                      QStringLiteral("ERRORE"), Icon::Critical);
    QVERIFY(!f.run(QStringLiteral("1.2.0")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.inst.file(QStringLiteral("ErrServer.html")))});
}

void TstVersionCheck::connectionDropped()
{
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("versione=caduta")};
    f.prompter
        .expect(QStringLiteral("Si è verificato un errore in trasmissione, 12030 : La connessione è stata interrotta "
                               "dal server. (servizio: ") +
                    kService + QLatin1Char(')'),
                QStringLiteral("Errore di trasmissione"), Icon::Critical)
        .expect(QStringLiteral("Errore di connessione al server (server: ") + kServer + QStringLiteral(", servizio: ") +
                    kService +
                    QStringLiteral("). Riprovare in un secondo momento, oppure contattare il servizio di assistenza "
                                   "KVR riportando questo messaggio."),
                QStringLiteral("Errore di connessione"), Icon::Critical);
    QVERIFY(!f.run(QStringLiteral("1.2.0")));
    VX_VERIFY_PROMPTS(f.prompter);
}

QTEST_GUILESS_MAIN(TstVersionCheck)
#include "tst_versioncheck.moc"
