// The transmission commands of veltranorpx-cli: the file of a printed Request into a folder, the
// check of any file with its exit status, the upload for a scheduled job, and the history.

#include "RegioneProcess.h"
#include "TestInstallation.h"

#include "cli/Command.h"
#include "transmission/TransmissionCheck.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

using namespace vx;
using vx::test::RegioneProcess;
using vx::test::TestInstallation;

namespace {

const QString kName = QStringLiteral("VELTRANORPX_6_37.A123");

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run runCli(const TestInstallation& inst, const QStringList& arguments)
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = cli::run(QStringList{QStringLiteral("--cartella"), inst.folder()} + arguments,
                      QStringLiteral("/nessuna/cartella"), out, err);
    out.flush();
    err.flush();
    return r;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void seed(const TestInstallation& inst, bool printed)
{
    inst.addOperator(QStringLiteral("A"), 123, QStringLiteral("CENTRO FORMAZIONE"));
    inst.addRequest(37, QStringLiteral("A"), 123, QStringLiteral("001"), 1, printed);
    inst.sql(QStringLiteral("UPDATE Domande SET Corrispondenza = 1 WHERE NumDoma = 37"));
    inst.addPerson(37, QStringLiteral("RSSMRA85T10A562S"), 1, 0, QStringLiteral("A"), 123);
}

} // namespace

class TstTransmissionCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void fileAndCheck();
    void notPrinted();
    void badArguments_data();
    void badArguments();
    void sendAndHistory();
};

void TstTransmissionCli::fileAndCheck()
{
    TestInstallation inst;
    inst.writeIni();
    seed(inst, true);
    const QString out = inst.file(QStringLiteral("uscita"));
    QVERIFY(QDir().mkpath(out));
    const Run r = runCli(inst, {QStringLiteral("file-trasmissione"), QStringLiteral("37"), QStringLiteral("--email"),
                                QStringLiteral("ente@posta.it"), QStringLiteral("--uscita"), out});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    const QString path = out + QLatin1Char('/') + kName;
    QCOMPARE(r.out, QDir::toNativeSeparators(path) + QLatin1Char('\n'));
    const QByteArray bytes = readFile(path);
    QVERIFY(
        bytes.startsWith("#Z#,#KVR_ALLEGATO_CENSIMENTO_RUOLI_PERCORSI_FORMATIVI_2017#,#0#,#2017#,#A#,#123#,#37#,#"));
    QVERIFY(bytes.contains("#,#ente@posta.it#,#1#,#"));
    QVERIFY(bytes.endsWith("\r\n#Z#,#EOF#\r\n"));

    const Run passed = runCli(inst, {QStringLiteral("controlla"), path});
    QCOMPARE(passed.code, 0);
    QCOMPARE(passed.out, QStringLiteral("Controllo del file di trasmissione ") + kName +
                             QStringLiteral(": superato.\nPersone (record E): 1\n"));

    QFile broken(path);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write(bytes.left(bytes.size() - 11));
    broken.close();
    const Run failed = runCli(inst, {QStringLiteral("controlla"), path});
    QCOMPARE(failed.code, 1);
    QCOMPARE(failed.out, QStringLiteral("Controllo del file di trasmissione ") + kName +
                             QStringLiteral(": NON superato.\nManca la riga finale #Z#,#EOF#.\n"));
}

void TstTransmissionCli::notPrinted()
{
    TestInstallation inst;
    inst.writeIni();
    seed(inst, false);
    const Run r = runCli(inst, {QStringLiteral("file-trasmissione"), QStringLiteral("37"), QStringLiteral("--email"),
                                QStringLiteral("ente@posta.it")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err, QStringLiteral("veltranorpx-cli: La Richiesta 37 non è stata stampata in definitivo: nessun file "
                                   "di trasmissione scritto.\n"));
    QVERIFY(!QFile::exists(inst.file(kName)));
}

void TstTransmissionCli::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("err");

    QTest::newRow("no e-mail") << QStringList{QStringLiteral("file-trasmissione"), QStringLiteral("37")} << 2
                               << QStringLiteral("veltranorpx-cli: Manca l'opzione --email INDIRIZZO.\n");
    QTest::newRow("e-mail with a comma") << QStringList{QStringLiteral("invia"), QStringLiteral("37"),
                                                        QStringLiteral("--email"), QStringLiteral("a,b@x.it")}
                                         << 2
                                         << QStringLiteral(
                                                "veltranorpx-cli: L'indirizzo e-mail non può contenere virgole.\n");
    QTest::newRow("a file that is not there")
        << QStringList{QStringLiteral("controlla"), QStringLiteral("/nessun/file")} << 1
        << QStringLiteral("veltranorpx-cli: Impossibile leggere il file /nessun/file\n");
    QTest::newRow("history of a bad number") << QStringList{QStringLiteral("trasmissioni"), QStringLiteral("x")} << 2
                                             << QStringLiteral("veltranorpx-cli: Numero di richiesta non valido: x\n");
}

void TstTransmissionCli::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, err);
    TestInstallation inst;
    inst.writeIni();
    seed(inst, true);
    const Run r = runCli(inst, arguments);
    QCOMPARE(r.err, err);
    QCOMPARE(r.code, code);
}

void TstTransmissionCli::sendAndHistory()
{
    RegioneProcess server;
    QVERIFY(server.start());
    TestInstallation inst;
    const QString base = QStringLiteral("https://127.0.0.1:%1").arg(server.port());
    inst.writeIni(
        {.connessione = {QStringLiteral("VERSIONE=") + base + QStringLiteral("/versione/verifica"),
                         QStringLiteral("UPLOAD=") + base,
                         QStringLiteral("CERTIFICATI_CA=") + RegioneProcess::certificates() + QStringLiteral("ca.pem"),
                         QStringLiteral("TEMPO_LIMITE=5")}});
    seed(inst, true);
    const Run file = runCli(inst, {QStringLiteral("file-trasmissione"), QStringLiteral("37"), QStringLiteral("--email"),
                                   QStringLiteral("ente@posta.it")});
    QCOMPARE(file.code, 0);
    const QByteArray written = readFile(inst.file(kName));

    const Run sent = runCli(inst, {QStringLiteral("invia"), QStringLiteral("37"), QStringLiteral("--email"),
                                   QStringLiteral("ente@posta.it")});
    QCOMPARE(sent.err, QString());
    QCOMPARE(sent.out, QStringLiteral("Trasmissione completata con successo\n"));
    QCOMPARE(sent.code, 0);
    QCOMPARE(readFile(server.folder() + QStringLiteral("stato/ricevuti/") + kName),
             QByteArray(written).replace("\r\n", "\n"));
    QVERIFY(!QFile::exists(inst.file(kName)));

    const Run all = runCli(inst, {QStringLiteral("trasmissioni")});
    QCOMPARE(all.code, 0);
    const QStringList lines = all.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.first(), QStringLiteral("DataOra\tNumDoma\tNomeFile\tDimensione\tSHA256\tEsito\tRisposta"));
    const QStringList fields = lines.at(1).split(QLatin1Char('\t'));
    QCOMPARE(fields.size(), 7);
    QCOMPARE(fields.at(1), QStringLiteral("37"));
    QCOMPARE(fields.at(2), kName);
    QCOMPARE(fields.at(5), QStringLiteral("Trasmessa"));
    QCOMPARE(runCli(inst, {QStringLiteral("trasmissioni"), QStringLiteral("38")}).out.count(QLatin1Char('\n')), 1);
    QCOMPARE(
        runCli(inst, {QStringLiteral("help"), QStringLiteral("trasmissioni")}).out.section(QLatin1Char('\n'), 0, 0),
        QStringLiteral("Uso: veltranorpx-cli [--cartella CARTELLA] trasmissioni [NUMERO_RICHIESTA]"));
}

QTEST_GUILESS_MAIN(TstTransmissionCli)
#include "tst_transmissioncli.moc"
