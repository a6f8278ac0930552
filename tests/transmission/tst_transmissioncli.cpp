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
    void sendAndHistory();
};

void TstTransmissionCli::fileAndCheck()
{
    TestInstallation inst;
    inst.writeIni();
    seedDeliverable(inst, false);
    const QStringList write{QStringLiteral("file-trasmissione"), QStringLiteral("37"),
                            QStringLiteral("--email"),           kDeliveryEmail,
                            QStringLiteral("--uscita"),          inst.file(QStringLiteral("uscita"))};
    QCOMPARE(runCli(write, inst.folder()).code, 1); // not printed yet: no file
    inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    const QString out = inst.file(QStringLiteral("uscita"));
    QVERIFY(QDir().mkpath(out));
    const CliRun r = runCli(write, inst.folder());
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
    QCOMPARE(broken.out, m::checkFailed(kDeliveryFile) + QLatin1Char('\n') + m::text(m::Text::MissingTerminator) +
                             QLatin1Char('\n'));
}

void TstTransmissionCli::sendAndHistory()
{
    RegioneProcess server;
    QVERIFY(server.start());
    TestInstallation inst;
    inst.writeIni({.connessione = connectionTo(server)});
    seedDeliverable(inst);
    const QStringList send{QStringLiteral("invia"), QStringLiteral("37"), QStringLiteral("--email"), kDeliveryEmail};
    const CliRun sent = runCli(send, inst.folder());
    QCOMPARE(sent.code, 0);
    // The region's confirmation is a result: on standard output, nothing on standard error.
    QCOMPARE(sent.err, QString());
    QVERIFY(!sent.out.isEmpty());
    QVERIFY(QFile::exists(server.folder() + QStringLiteral("stato/ricevuti/") + kDeliveryFile));
    const CliRun history = runCli({QStringLiteral("trasmissioni"), QStringLiteral("37")}, inst.folder());
    QCOMPARE(history.code, 0);
    QVERIFY(history.out.contains(kDeliveryFile) && history.out.contains(RequestDelivery::kOutcomeSent));
}

QTEST_GUILESS_MAIN(TstTransmissionCli)
#include "tst_transmissioncli.moc"
