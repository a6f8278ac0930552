// The regional servers' stand-in itself: the configuration it refuses, and how fast it stops.

#include "RegioneProcess.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTest>

using vx::test::RegioneProcess;

class TstRegione : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refusesBadConfiguration_data();
    void refusesBadConfiguration();
    void stopsWithinASecond_data();
    void stopsWithinASecond();
};

void TstRegione::refusesBadConfiguration_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    auto row = [](const char* name, const char* section, const char* line, const char* message) {
        QTest::newRow(name) << section << line << message;
    };
    row("port too high", "server", "porta=99999",
        "porta non valida: 99999 (ammesse da 0 a 65535; 0 sceglie una porta libera)");
    row("unknown failure", "guasti", "nreg=esplode",
        "guasto sconosciuto per nreg: esplode (ammessi: caduta, errore, gocce, html, "
        "infinita, lento, negata, nessuno, nomevietato, nonnumerico, stato500)");
    row("unknown service", "guasti", "numero=errore", "servizio sconosciuto in [guasti]: numero");
    row("unknown key", "server", "ritado=5", "chiave sconosciuta nella sezione [server]: ritado");
    row("login without identity", "accessi", "demo=demo", "accesso non valido per demo: atteso password;identita");
}

void TstRegione::refusesBadConfiguration()
{
    QFETCH(QString, section);
    QFETCH(QString, line);
    QFETCH(QString, message);
    RegioneProcess server;
    server.sections[section].append(line);
    QVERIFY(!server.start());
    QCOMPARE(server.stop(), qint64(0)); // not running
    QCOMPARE(server.exitCode(), 1);
    const QString errors = server.errorOutput();
    QVERIFY2(errors.startsWith(QStringLiteral("veltranorpx-regione: ") + vx::test::hostPath(server.folder()) +
                               "regione.conf:") &&
                 errors.contains(message) && !errors.contains(QLatin1String("in ascolto")),
             qPrintable(errors));
}

void TstRegione::stopsWithinASecond_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("path");
    auto row = [](const char* name, const char* failure, const char* path) { QTest::newRow(name) << failure << path; };
    row("slow answer in flight", "nreg=lento", "/nreg/numero");
    row("endless answer in flight", "versione=infinita", "/versione/verifica");
    row("idle kept-alive connection", "nessuno", "/versione/verifica");
}

void TstRegione::stopsWithinASecond()
{
    QFETCH(QString, failure);
    QFETCH(QString, path);
    RegioneProcess server;
    server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=60")};
    if (failure != QLatin1String("nessuno"))
        server.sections[QStringLiteral("guasti")] = {failure};
    QVERIFY(server.start());

    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(server.address(path)));
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.addCaCertificates(RegioneProcess::certificates() + QStringLiteral("ca.pem"));
    request.setSslConfiguration(ssl);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Authorization", "Basic " + QByteArray("regione:demo2026").toBase64());
    QNetworkReply* reply = network.post(request, QByteArray("gruppo=A&codice=12"));
    reply->setReadBufferSize(64 * 1024);
    QTest::qWait(800); // the call reaches the server and waits there, or keeps receiving
    if (failure == QLatin1String("nessuno"))
        QVERIFY(reply->isFinished()); // answered; the connection stays open, idle

    const qint64 took = server.stop();
    QVERIFY2(took >= 0 && took < 1000, qPrintable(QString::number(took)));
    QTRY_VERIFY(reply->isFinished());
    delete reply;
}

QTEST_GUILESS_MAIN(TstRegione)
#include "tst_regione.moc"
