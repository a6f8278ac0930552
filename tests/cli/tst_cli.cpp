// veltranorpx-cli run in-process on a temporary installation.

#include "ChildProcess.h"
#include "TestInstallation.h"

#include "cli/Command.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include <iostream>

using namespace vx;
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

const char* kCliVariable = "VX_CLI";

// Child mode: the command line "<folder>|<argument>|..." run as its own process; prints the exit
// code, then standard output.
int cliAsChild(const QString& order)
{
    QStringList parts = order.split(QLatin1Char('|'));
    const QString folder = parts.takeFirst();
    const Run r = runCli(QStringList{QStringLiteral("--cartella"), folder} + parts);
    std::cout << r.code << '\n' << r.out.toStdString() << std::flush;
    std::cerr << r.err.toStdString() << std::flush;
    return 0;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<manca>");
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
    void ruoliEscapesStoredValues();
    void infoFailsWhenARoutineFails();
    void help_data();
    void help();
    void readingNeverWrites_data();
    void readingNeverWrites();
    void refusedWhileStandAloneHeld();
    void readsAReadOnlyFile();
    void backupAndRestore();
    void restoreRefusedWhileHeld();
    void printAndRegister();
};

void TstCli::info()
{
    TestInstallation inst;
    inst.writeIni({.numDoma = QStringLiteral("11")});
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
    // The arguments are given as one text, split at its blanks.
    auto row = [](const char* tag, const char* arguments, bool withIni, int code, const char* message) {
        QTest::newRow(tag) << QString::fromUtf8(arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts) << withIni
                           << code << message;
    };
    row("no command", "", true, 2, "Uso:");
    row("unknown command", "boh", true, 2, "Comando sconosciuto: boh");
    row("no INI", "richieste", false, 1, "Impossibile trovare il file");
    row("extra argument", "info x", true, 2, "info non accetta argomenti.");
    row("--cartella without a value", "--cartella", true, 2, "Manca il valore dell'opzione --cartella");
    row("unknown option", "--boh info", true, 2, "Opzione sconosciuta: --boh");
    row("unknown option of a command", "richieste -x", true, 2, "Opzione sconosciuta: -x");
    row("ruoli without a number", "ruoli", true, 2, "Uso: veltranorpx-cli ruoli NUMERO_RICHIESTA");
    row("ruoli, not a number", "ruoli x", true, 2, "Il numero della richiesta non è un numero: x");
    row("help of an unknown command", "help boh", true, 2, "Comando sconosciuto: boh");
    row("no installation yet", "info", false, 1, "Impossibile trovare il file");
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
    // One way to tell an error: lines that name the program.
    for (const QString& line : r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.startsWith(QLatin1String("  ")) && !line.startsWith(QLatin1String("Uso:")) &&
            !line.startsWith(QLatin1String("     ")) && !line.endsWith(QLatin1Char(':')))
            QVERIFY2(line.startsWith(QLatin1String("veltranorpx-cli: ")), qPrintable(line));
    }
    QCOMPARE(r.out, QString());
}

void TstCli::ruoliEscapesStoredValues()
{
    TestInstallation inst;
    inst.writeIni();
    inst.addRequest(20, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    inst.sql(QStringLiteral("INSERT INTO Ruoli VALUES (20, 'VRDGPP69L21L219W', ?, 'GIUSEPPE', '21', '07', '1969', ?, "
                            "'011', 'A', 12, 0, 1)"),
             {QStringLiteral("VERDI\tDE\nROSSI\r"), QStringLiteral("a\\b@x.it")});
    const Run r = runCli({QStringLiteral("--cartella"), inst.folder(), QStringLiteral("ruoli"), QStringLiteral("20")});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("20\tVRDGPP69L21L219W\tVERDI\\tDE\\nROSSI\\r\tGIUSEPPE\t21\t07\t1969\t"
                                   "a\\\\b@x.it\t011\tA\t12\t0\t1\n"));
    QCOMPARE(cli::escapeField(QStringLiteral("a\tb\\n")), QStringLiteral("a\\tb\\\\n"));
}

void TstCli::infoFailsWhenARoutineFails()
{
    TestInstallation inst;
    inst.writeIni({.numDoma = QStringLiteral("11")});
    inst.addRequest(11, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    inst.sql(QStringLiteral("DROP VIEW QryComuniProv"));
    inst.sql(QStringLiteral("DROP VIEW QryDomande"));
    inst.sql(QStringLiteral("DROP TABLE Province"));
    const Run r = runCli({QStringLiteral("--cartella"), inst.folder(), QStringLiteral("info")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.err, QStringLiteral("veltranorpx-cli: Errore: RecuperaDesProv - 1 - no such table: Province\n"));
    QVERIFY(r.out.contains(QStringLiteral("Richiesta selezionata\t11\n")));
}

void TstCli::help_data()
{
    const QString options = QStringLiteral(
        "Opzioni:\n"
        "  --cartella CARTELLA  cartella del programma, quella del file VELTRANORPX.INI (predefinita: la cartella di "
        "veltranorpx-cli)\n"
        "  -h, --help           mostra questo aiuto\n");
    const QString ruoli = QStringLiteral("Uso: veltranorpx-cli [--cartella CARTELLA] ruoli NUMERO_RICHIESTA\n\n"
                                         "persone e ruoli di una richiesta\n\n"
                                         "Argomenti:\n"
                                         "  NUMERO_RICHIESTA     il numero della richiesta (NumDoma)\n\n") +
                          options;
    const QString general = QStringLiteral("Uso: veltranorpx-cli [--cartella CARTELLA] COMANDO [ARGOMENTI]\n"
                                           "     veltranorpx-cli help [COMANDO]\n\n"
                                           "Comandi:\n"
                                           "  info        tipo e versione dell'installazione, base dati, richiesta "
                                           "selezionata\n"
                                           "  richieste   elenco delle richieste\n"
                                           "  ruoli       persone e ruoli di una richiesta\n"
                                           "  backup      copia della base dati in un archivio zip\n"
                                           "  ripristina  recupero della base dati da un archivio zip\n"
                                           "  stampa      il documento di una richiesta in PDF\n"
                                           "  elenco      l'elenco semplice di una richiesta in PDF\n"
                                           "  esporta     esportazione dei soggetti e ruoli di una richiesta (foglio "
                                           ".xlsx o testo .txt)\n"
                                           "  verifica    verifica di un file da importare; stampa le righe del "
                                           "rapporto delle anomalie\n"
                                           "  importa     importazione di un file: sostituisce i soggetti e ruoli "
                                           "della richiesta se ogni riga è corretta\n"
                                           "  file-trasmissione il file di trasmissione di una richiesta stampata\n"
                                           "  controlla   il controllo di un file di trasmissione\n"
                                           "  invia       la trasmissione di una richiesta alla Regione\n"
                                           "  trasmissioni lo storico delle trasmissioni\n"
                                           "  aggiorna-tabelle carica le tabelle di decodifica dai file presenti "
                                           "nella cartella del programma\n"
                                           "  aggiorna-anagrafe aggiorna la base dati dai file dell'anagrafe presenti "
                                           "nella cartella del programma\n"
                                           "  scarica-anagrafe scarica dalla Regione l'anagrafe degli operatori e "
                                           "aggiorna la base dati\n"
                                           "  help        l'aiuto di un comando\n\n") +
                            options;
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* arguments, const QString& expected) {
        QTest::newRow(arguments) << QString::fromUtf8(arguments).split(QLatin1Char(' ')) << expected;
    };
    row("help", general);
    row("--help", general);
    row("help ruoli", ruoli);
    row("ruoli --help", ruoli);
    row("ruoli -h", ruoli);
    row("help info", QStringLiteral("Uso: veltranorpx-cli [--cartella CARTELLA] info\n\n"
                                    "tipo e versione dell'installazione, base dati, richiesta selezionata\n\n") +
                         options);
    // An argument that may repeat: shown with "...", and any number of them accepted.
    row("help scarica-anagrafe",
        QStringLiteral("Uso: veltranorpx-cli [--cartella CARTELLA] scarica-anagrafe [OPERATORE...]\n\n"
                       "scarica dalla Regione l'anagrafe degli operatori e aggiorna la base dati\n\n"
                       "Argomenti:\n"
                       "  OPERATORE            gruppo e codice (A-12); nessuno: tutti gli operatori della base "
                       "dati\n\n") +
            options);
}

void TstCli::help()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const Run r = runCli(arguments);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, expected);
}

void TstCli::readingNeverWrites_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("tipo");
    QTest::newRow("info") << QStringList{QStringLiteral("info")} << "StandAlone";
    QTest::newRow("richieste") << QStringList{QStringLiteral("richieste")} << "StandAlone";
    QTest::newRow("ruoli") << QStringList{QStringLiteral("ruoli"), QStringLiteral("20")} << "Multiutenza";
}

void TstCli::readingNeverWrites()
{
    QFETCH(QStringList, command);
    QFETCH(QString, tipo);
    TestInstallation inst;
    inst.writeIni({.tipo = tipo});
    inst.addRequest(20, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    const QByteArray before = bytesOf(inst.databasePath());
    const QDateTime modified = QFileInfo(inst.databasePath()).lastModified();
    const Run r = runCli(QStringList{QStringLiteral("--cartella"), inst.folder()} + command);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(bytesOf(inst.databasePath()), before);
    QCOMPARE(QFileInfo(inst.databasePath()).lastModified(), modified);

    // A file that is no database stays as it is, to the byte.
    inst.writeFile(QStringLiteral("VELTRANORPX.db"), QByteArray());
    const Run empty = runCli(QStringList{QStringLiteral("--cartella"), inst.folder()} + command);
    QCOMPARE(empty.code, 1);
    QCOMPARE(empty.err, QStringLiteral("veltranorpx-cli: Errore 26 file is not a database Il file indicato non è una "
                                       "base dati di VELTRANORPX.\n"));
    QCOMPARE(QFileInfo(inst.databasePath()).size(), 0);
    QCOMPARE(QDir(inst.folder()).entryList({QStringLiteral("*-journal")}, QDir::Files), QStringList());
}

void TstCli::refusedWhileStandAloneHeld()
{
    TestInstallation inst;
    inst.writeIni();
    Database held;
    QVERIFY(held.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    {
        QFile peek(inst.databasePath());
        QVERIFY(peek.open(QIODevice::ReadOnly));
    }
    const vx::test::ChildRun run = vx::test::runChild(kCliVariable, inst.folder() + QStringLiteral("|richieste"));
    QCOMPARE(run.output, QByteArray("1\n"));
    held.close();
    QCOMPARE(vx::test::runChild(kCliVariable, inst.folder() + QStringLiteral("|richieste")).output, QByteArray("0\n"));
}

void TstCli::readsAReadOnlyFile()
{
    if (!vx::test::canRunUnprivileged())
        QSKIP("root without setpriv: no user here lacks the right to write");
    // As a user whom the permission bits concern (nobody when the test runs as root).
    TestInstallation inst;
    inst.writeIni();
    inst.addRequest(20, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    const auto read = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto enter = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(QDir(inst.folder()).absolutePath(), read | enter));
    QVERIFY(QFile::setPermissions(inst.databasePath(), read));
    QVERIFY(QFile::setPermissions(inst.file(IniFile::kDefaultName), read));
    const QByteArray before = bytesOf(inst.databasePath());
    const vx::test::ChildRun run = vx::test::runChild(kCliVariable, inst.folder() + QStringLiteral("|richieste"), true);
    QFile::setPermissions(QDir(inst.folder()).absolutePath(), read | enter | QFile::WriteOwner);
    QFile::setPermissions(inst.databasePath(), read | QFile::WriteOwner);
    QCOMPARE(run.output, QByteArray("0\n20\tA-12\t001\t1\tNo\tNo\n"));
    QCOMPARE(bytesOf(inst.databasePath()), before);
}

void TstCli::backupAndRestore()
{
    TestInstallation inst;
    inst.writeIni();
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    const QString archive = inst.file(QStringLiteral("copia"));
    const QStringList at{QStringLiteral("--cartella"), inst.folder()};
    const Run made = runCli(at + QStringList{QStringLiteral("backup"), archive});
    QCOMPARE(made.err, QString());
    QCOMPARE(made.out, QStringLiteral("Backup eseguito con successo.\n"));
    QCOMPARE(made.code, 0);
    QCOMPARE(inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("FileBackup")), archive + QStringLiteral(".zip"));

    inst.sql(QStringLiteral("DELETE FROM Province"));
    const Run restored = runCli(
        at + QStringList{QStringLiteral("ripristina"), archive + QStringLiteral(".zip"), QStringLiteral("--conserva")});
    QCOMPARE(restored.err, QString());
    QCOMPARE(restored.out, QStringLiteral("Recupero eseguito con successo\n"));
    QCOMPARE(restored.code, 0);
    QVERIFY(QFile::exists(inst.file(QStringLiteral("BackupDB/VELTRANORPX.db"))));
    const Run list = runCli(at + QStringList{QStringLiteral("help"), QStringLiteral("ripristina")});
    QVERIFY(list.out.contains(QStringLiteral("--conserva")));
}

void TstCli::restoreRefusedWhileHeld()
{
    TestInstallation inst;
    inst.writeIni();
    const QString archive = inst.file(QStringLiteral("copia.zip"));
    const QStringList at{QStringLiteral("--cartella"), inst.folder()};
    QCOMPARE(runCli(at + QStringList{QStringLiteral("backup"), archive}).code, 0);
    Database held; // the program, on this workstation or another
    QVERIFY(held.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    const QByteArray before = bytesOf(inst.databasePath());
    const Run refused = runCli(at + QStringList{QStringLiteral("ripristina"), archive});
    QCOMPARE(refused.code, 1);
    QCOMPARE(refused.err, QStringLiteral("veltranorpx-cli: Qualche client potrebbe ancora essere connesso alla base "
                                         "dati. L'operazione non è consentita.\n"));
    QCOMPARE(bytesOf(inst.databasePath()), before);
}

void TstCli::printAndRegister()
{
    TestInstallation inst;
    inst.writeIni();
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
    inst.addRequest(45, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    inst.addPerson(45, QStringLiteral("RSSMRA85T10A562S"));
    const QStringList at{QStringLiteral("--cartella"), inst.folder()};
    const QString document = inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45.pdf"));

    const Run draft = runCli(at + QStringList{QStringLiteral("stampa"), QStringLiteral("45")});
    QCOMPARE(draft.err, QString());
    QCOMPARE(draft.out, document + QLatin1Char('\n'));
    QCOMPARE(draft.code, 0);
    QCOMPARE(runCli(at + QStringList{QStringLiteral("richieste")}).out.section(QLatin1Char('\t'), 4, 4),
             QStringLiteral("No"));

    // A definitive run that writes no document registers nothing.
    QVERIFY(QFile::rename(inst.file(QStringLiteral("_VELTRANORPX_01.html")), inst.file(QStringLiteral("modello"))));
    const Run failed =
        runCli(at + QStringList{QStringLiteral("stampa"), QStringLiteral("45"), QStringLiteral("--definitiva")});
    QCOMPARE(failed.code, 1);
    QCOMPARE(runCli(at + QStringList{QStringLiteral("richieste")}).out.section(QLatin1Char('\t'), 4, 4),
             QStringLiteral("No"));
    QVERIFY(QFile::rename(inst.file(QStringLiteral("modello")), inst.file(QStringLiteral("_VELTRANORPX_01.html"))));

    const Run definitive =
        runCli(at + QStringList{QStringLiteral("stampa"), QStringLiteral("45"), QStringLiteral("--definitiva")});
    QCOMPARE(definitive.err, QString());
    QCOMPARE(definitive.code, 0);
    QCOMPARE(runCli(at + QStringList{QStringLiteral("richieste")}).out.section(QLatin1Char('\t'), 4, 4),
             QStringLiteral("Sì"));
    // A draft of a printed Request never replaces the document kept.
    QCOMPARE(runCli(at + QStringList{QStringLiteral("stampa"), QStringLiteral("45")}).out,
             inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45-Bozza.pdf")) + QLatin1Char('\n'));

    const QString listing = inst.file(QStringLiteral("elenco.pdf"));
    const Run list =
        runCli(at + QStringList{QStringLiteral("elenco"), QStringLiteral("45"), QStringLiteral("--pdf"), listing});
    QCOMPARE(list.code, 0);
    QVERIFY(QFileInfo(listing).size() > 0);
    QCOMPARE(runCli(at + QStringList{QStringLiteral("elenco"), QStringLiteral("45")}).code, 2);
}

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kCliVariable))
        return cliAsChild(qEnvironmentVariable(kCliVariable));
    TstCli test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_cli.moc"
