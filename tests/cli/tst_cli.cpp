// veltranorpx-cli run in-process on a temporary installation.

#include "TestInstallation.h"

#include "cli/Command.h"

#include <QTest>

using namespace vx;
using vx::test::IniValues;
using vx::test::TestInstallation;

namespace {
struct Run {
    int code = 0;
    QString out;
    QString err;
};

Run runCli(const QStringList& arguments)
{
    Run r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    r.code = cli::run(arguments, QStringLiteral("/nessuna/cartella"), out, err);
    out.flush();
    err.flush();
    return r;
}
} // namespace

class TstCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void info();
    void infoWithNothingSelected();
    void richieste();
    void ruoli();
    void errors_data();
    void errors();
};

void TstCli::info()
{
    TestInstallation inst;
    IniValues values;
    values.numDoma = QStringLiteral("11");
    inst.writeIni(values);
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addRequest(11, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    const QByteArray iniBefore = inst.iniBytes();
    const Run r = runCli({QStringLiteral("--cartella"), inst.folder(), QStringLiteral("info")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(lines.contains(QStringLiteral("Installazione\tStandAlone")));
    QVERIFY(lines.contains(QStringLiteral("Versione\tSERVER")));
    QVERIFY(lines.contains(QStringLiteral("Base dati\t") + inst.databasePath()));
    QVERIFY(lines.contains(QStringLiteral("Richiesta selezionata\t11")));
    QVERIFY(lines.contains(QStringLiteral("Operatore\tA-12 Operatore 12")));
    QVERIFY(lines.contains(QStringLiteral("Provincia\t001 TORINO")));
    // Looking does not change the installation.
    QCOMPARE(inst.iniBytes(), iniBefore);
}

void TstCli::infoWithNothingSelected()
{
    TestInstallation inst;
    inst.writeIni();
    const Run r = runCli({QStringLiteral("--cartella=") + inst.folder(), QStringLiteral("info")});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains(QStringLiteral("Richiesta selezionata\t0\n")));
    QVERIFY(!r.out.contains(QStringLiteral("Operatore")));
}

void TstCli::richieste()
{
    TestInstallation inst;
    inst.writeIni();
    inst.addRequest(30, QStringLiteral("B"), 7, QStringLiteral("001"), 2, true);
    inst.addRequest(20, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    inst.sql(QStringLiteral("UPDATE Domande SET DomandaTrasmessa = 1 WHERE NumDoma = 30"));
    const Run r = runCli({QStringLiteral("--cartella"), inst.folder(), QStringLiteral("richieste")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("20\tA-12\t001\t1\tNo\tNo\n30\tB-7\t001\t2\tSì\tSì\n"));
}

void TstCli::ruoli()
{
    TestInstallation inst;
    inst.writeIni();
    inst.addRequest(20, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    inst.sql(
        QStringLiteral("INSERT INTO Ruoli VALUES (20, 'VRDGPP69L21L219W', 'VERDI', 'GIUSEPPE', '21', '07', '1969', "
                       "'g@x.it', '011', 'A', 12, 2, 3), (20, 'BNCLRA78D43L219O', 'BIANCHI', 'LAURA', '03', '04', "
                       "'1978', 'l@x.it', '012', 'A', 12, 0, 5), (21, 'X', 'ALTRA', 'RICHIESTA', '', '', '', '', "
                       "'', 'A', 12, 0, 1)"));
    const Run r = runCli({QStringLiteral("--cartella"), inst.folder(), QStringLiteral("ruoli"), QStringLiteral("20")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("20\tBNCLRA78D43L219O\tBIANCHI\tLAURA\t03\t04\t1978\tl@x.it\t012\tA\t12\t0\t5\n"
                                   "20\tVRDGPP69L21L219W\tVERDI\tGIUSEPPE\t21\t07\t1969\tg@x.it\t011\tA\t12\t2\t3\n"));
    const Run missing =
        runCli({QStringLiteral("--cartella"), inst.folder(), QStringLiteral("ruoli"), QStringLiteral("99")});
    QCOMPARE(missing.code, 1);
    QVERIFY(missing.err.contains(QStringLiteral("Richiesta 99 non trovata.")));
    const Run bad = runCli({QStringLiteral("--cartella"), inst.folder(), QStringLiteral("ruoli"), QStringLiteral("x")});
    QCOMPARE(bad.code, 2);
}

void TstCli::errors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("withIni");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{} << true << 2 << "Uso:";
    QTest::newRow("unknown command") << QStringList{QStringLiteral("boh")} << true << 2 << "Comando sconosciuto: boh";
    QTest::newRow("no INI") << QStringList{QStringLiteral("richieste")} << false << 1 << "Impossibile trovare il file";
    QTest::newRow("extra argument") << QStringList{QStringLiteral("info"), QStringLiteral("x")} << true << 2
                                    << "info non accetta argomenti.";
}

void TstCli::errors()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, withIni);
    QFETCH(int, code);
    QFETCH(QString, message);
    TestInstallation inst;
    if (withIni)
        inst.writeIni();
    const Run r = runCli(QStringList{QStringLiteral("--cartella"), inst.folder()} + arguments);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(r.out, QString());
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
