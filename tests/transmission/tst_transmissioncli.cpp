// The transmission commands of veltranorpx-cli: the file of a printed Request into a folder, the
// check of a file (against its Request when the installation holds it), the upload for a
// scheduled job, and the history.

#include "CliRunner.h"
#include "DeliveryFixture.h"

#include "transmission/Messages.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

using namespace vx;
using namespace vx::test;
namespace m = vx::msg::transmission;

class TstTransmissionCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void fileAndCheck();
    void refused_data();
    void refused();
    void sendAndHistory();
};

void TstTransmissionCli::fileAndCheck()
{
    TestInstallation inst;
    inst.writeIni();
    seedDeliverable(inst);
    const QString out = inst.file(QStringLiteral("uscita"));
    QVERIFY(QDir().mkpath(out));
    const CliRun r = runCli({QStringLiteral("file-trasmissione"), QStringLiteral("37"), QStringLiteral("--email"),
                             kDeliveryEmail, QStringLiteral("--uscita"), out},
                            inst.folder());
    QCOMPARE(r.code, 0);
    const QString path = out + QLatin1Char('/') + kDeliveryFile;
    QCOMPARE(r.out, QDir::toNativeSeparators(path) + QLatin1Char('\n'));
    const QByteArray bytes = readFile(path);
    QVERIFY(bytes.startsWith("#Z#,#KVR_ALLEGATO_CENSIMENTO_RUOLI_PERCORSI_FORMATIVI_2017#,#0#,#2017#,#A#,#12#,#37#,#"));
    QVERIFY(bytes.endsWith("\r\n#Z#,#EOF#\r\n"));

    auto check = [&](const QString& folder) { return runCli({QStringLiteral("controlla"), path}, folder); };
    const CliRun passed = check(QString());
    QCOMPARE(passed.code, 0);
    QCOMPARE(passed.out, m::checkPassed(kDeliveryFile, 2).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) +
                             QLatin1Char('\n'));
    // The Request changed since: the installation that holds it says so; elsewhere the bytes pass.
    inst.sql(QStringLiteral("UPDATE Ruoli SET Nome = 'MARIA' WHERE Cognome = 'ROSSI'"));
    const CliRun changed = check(inst.folder());
    QCOMPARE(changed.code, 1);
    QVERIFY2(changed.out.contains(m::notInRequest(5, 37)), qPrintable(changed.out));
    QCOMPARE(check(QString()).code, 0);

    inst.writeFile(QStringLiteral("uscita/") + kDeliveryFile, bytes.chopped(11));
    const CliRun broken = check(QString());
    QCOMPARE(broken.code, 1);
    QCOMPARE(broken.out,
             m::checkFailed(kDeliveryFile) + QLatin1Char('\n') + m::missingTerminator() + QLatin1Char('\n'));
}

void TstTransmissionCli::refused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<int>("code");
    QTest::newRow("not printed") << QStringList{"file-trasmissione", "37", "--email", "ente@posta.it"} << false << 1;
    QTest::newRow("no e-mail") << QStringList{"file-trasmissione", "37"} << true << 2;
    QTest::newRow("e-mail with a comma") << QStringList{"invia", "37", "--email", "a,b@x.it"} << true << 2;
    QTest::newRow("a file that is not there") << QStringList{"controlla", "/nessun/file"} << true << 1;
}

void TstTransmissionCli::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, printed);
    QFETCH(int, code);
    TestInstallation inst;
    inst.writeIni();
    seedDeliverable(inst, printed);
    const CliRun r = runCli(arguments, inst.folder());
    QCOMPARE(r.code, code);
    QCOMPARE(r.out, QString());
    QVERIFY(!r.err.isEmpty());
    QVERIFY(!QFile::exists(inst.file(kDeliveryFile)));
}

void TstTransmissionCli::sendAndHistory()
{
    RegioneProcess server;
    QVERIFY(server.start());
    TestInstallation inst;
    inst.writeIni({.connessione = connectionTo(server)});
    seedDeliverable(inst);
    const QStringList send{QStringLiteral("invia"), QStringLiteral("37"), QStringLiteral("--email"), kDeliveryEmail};
    QCOMPARE(runCli(send, inst.folder()).code, 0);
    QVERIFY(QFile::exists(server.folder() + QStringLiteral("stato/ricevuti/") + kDeliveryFile));
    const CliRun history = runCli({QStringLiteral("trasmissioni"), QStringLiteral("37")}, inst.folder());
    QCOMPARE(history.code, 0);
    QVERIFY(history.out.contains(kDeliveryFile) && history.out.contains(RequestDelivery::kOutcomeSent));
}

QTEST_GUILESS_MAIN(TstTransmissionCli)
#include "tst_transmissioncli.moc"
