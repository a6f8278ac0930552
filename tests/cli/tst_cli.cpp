// veltranorpx-cli on a temporary installation: one table of command lines with their exit status,
// their output and what is on disk afterwards; then what a table cannot hold (another program
// holding the database, a read-only file, the program run as its own process, JSON read back).

#include "ChildProcess.h"
#include "CliRunner.h"
#include "EngineSkip.h"
#include "RequestsFixture.h"
#include "Support.h"

#include "Version.h"
#include "cli/Command.h"
#include "cli/Messages.h"
#include "core/Settings.h"
#include "roles/RoleTextFile.h"
#include "store/ErrorAdvice.h"
#include "store/Messages.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <iostream>

#ifndef _WIN32
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>
#endif

using namespace vx;
using vx::test::runCli;
using vx::test::TestInstallation;
namespace cmsg = vx::msg::cli;

namespace {

const char* kCliVariable = "VX_CLI";

// Child mode: "<folder>|<argument>|..." run as its own process; prints the exit code, then
// standard output.
int cliAsChild(const QString& order)
{
    QStringList parts = order.split(QLatin1Char('|'));
    const QString folder = parts.takeFirst();
    const vx::test::CliRun r = runCli(parts, folder);
    std::cout << r.code << '\n' << r.out.toStdString() << std::flush;
    return 0;
}

// An error line as the command line writes it: the program's name, the text on one line.
QString error(const QString& text)
{
    return cmsg::text(cmsg::Text::Program) + QStringLiteral(": ") +
           text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(' ') + QLatin1Char('\n');
}

// Operator A-12 with Request 20 in province 001, two persons on it (tab, line break and backslash
// in stored values), and Request 30 of B-7, printed and transmitted.
void seed(const TestInstallation& inst)
{
    inst.addOperatorWithRequest(20);
    inst.addRequest(30, QStringLiteral("B"), 7, QStringLiteral("001"), 2, true);
    inst.sql(QStringLiteral("UPDATE Domande SET DomandaTrasmessa = 1 WHERE NumDoma = 30"));
    inst.sql(QStringLiteral("INSERT INTO Ruoli VALUES (20, 'VRDGPP69L21L219W', ?, 'GIUSEPPE', '21', '07', '1969', ?, "
                            "'011', 'A', 12, 2, 3), (20, 'BNCLRA78D43L219O', 'BIANCHI', 'LAURA', '03', '04', '1978', "
                            "'l@x.it', '012', 'A', 12, 0, 5)"),
             {QStringLiteral("VERDI\tDE\nROSSI"), QStringLiteral("a\\b@x.it")});
}

const QString kRoles = QStringLiteral("NumDoma\tCodFiscale\tCognome\tNome\tGGNasc\tMMNasc\tAAAANasc\tEmail\tTel\t"
                                      "GruppoOperatore\tCodiceOperatore\tSede\tRuolo\n");

} // namespace

class TstCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void commandLines_data();
    void commandLines();
    void json();
    void helpAligned();
    void readsAReadOnlyFile();
    void noQtWarning();
    void importaWhileAnotherPrints();
};

void TstCli::commandLines_data()
{
    QTest::addColumn<QString>("setup"); // "" a seeded installation, or what differs
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("out"); // "%1": the program folder
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("changed");   // the table the command changes, or "INI"; "" nothing
    QTest::addColumn<QStringList>("files"); // files there afterwards, with the content "=..." when given
    auto row = [](const char* tag, const QString& setup, const QString& arguments, int code, const QString& out,
                  const QString& err, const QString& changed = QString(), const QStringList& files = {}) {
        QTest::newRow(tag) << setup << arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts) << code << out << err
                           << changed << files;
    };
    const QString usage = QStringLiteral("Uso: veltranorpx-cli [--cartella CARTELLA] ");
    row("info", "", "info", 0,
        QStringLiteral("Versione programma\t%v\nInstallazione\tStandAlone\nVersione\tSERVER\nBase dati\t%w\n"
                       "Richiesta selezionata\t20\nOperatore\tA-12 Operatore 12\nProvincia\t001 TORINO\n"
                       "Progressivo\t1\nStampata\tNo\n"),
        "");
    row("richieste", "", "richieste", 0,
        "NumDoma\tOperatore\tProv\tDomanda\tStampata\tTrasmessa\n20\tA-12\t001\t1\tNo\tNo\n30\tB-7\t001\t2\tSì\tSì\n",
        "");
    row("ruoli", "", "ruoli 20", 0,
        kRoles + "20\tBNCLRA78D43L219O\tBIANCHI\tLAURA\t03\t04\t1978\tl@x.it\t012\tA\t12\t0\t5\n"
                 "20\tVRDGPP69L21L219W\tVERDI\\tDE\\nROSSI\tGIUSEPPE\t21\t07\t1969\ta\\\\b@x.it\t011\tA\t12\t2\t3\n",
        "");
    row("ruoli of no Request", "", "ruoli 99", 1, "", error(cmsg::requestNotFound(99)));
    row("ruoli, not a number", "", "ruoli x", 2, "", error(cmsg::badRequestNumber(QStringLiteral("x"))));
    // Named whole, not as the one-letter option "-2" its first digit makes.
    row("ruoli, a negative number", "", "ruoli -2147483648", 2, "",
        error(cmsg::seeHelp(cmsg::negativeValue(QStringLiteral("-2147483648")))));
    row("ruoli without a number", "", "ruoli", 2, "",
        error(cmsg::seeHelp(cmsg::usage(QStringLiteral("ruoli"), {QStringLiteral("NUMERO_RICHIESTA")}))));
    row("unknown command", "", "boh", 2, "", error(cmsg::seeHelp(cmsg::unknownCommand(QStringLiteral("boh")))));
    row("extra argument", "", "info x", 2, "", error(cmsg::seeHelp(cmsg::takesNoArguments(QStringLiteral("info")))));
    row("unknown option", "", "richieste -x", 2, "", error(cmsg::seeHelp(cmsg::unknownOption(QStringLiteral("-x")))));
    row("no INI", "no INI", "richieste", 1, "", error(cmsg::iniMissing(QStringLiteral("%1VELTRANORPX.INI"))));
    // A file that is no database stays as it is, to the byte, with no journal beside it.
    row("no database of ours", "empty database", "info", 1, "", error(errorLines(DbError::sqlite(26))), "",
        {QStringLiteral("VELTRANORPX.db=")});
    row("backup", "", "backup %1copia", 0, "Backup eseguito con successo.\n", "", "INI", {QStringLiteral("copia.zip")});
    row("backup into a folder", "", "backup %1", 0, "Backup eseguito con successo.\n", "", "INI",
        {QStringLiteral("VELTRANORPX.zip")});
    row("draft", "", "stampa 20", 0, "%1VELTRANORPX-A12-TO-Domanda20-Bozza.pdf\n", "", "",
        {QStringLiteral("VELTRANORPX-A12-TO-Domanda20-Bozza.pdf")});
    row("definitive", "sendable", "stampa 20 --definitiva", 0, "%1VELTRANORPX-A12-TO-Domanda20.pdf\n", "", "Domande");
    // A line break inside a surname would break its record in the transmission file: the Request
    // is neither printed nor registered, and the faults are kept beside the program.
    row("definitive of content that could not be sent", "", "stampa 20 --definitiva", 1, "", "*", "",
        {QStringLiteral("ControlloFileTrasmissione.txt")});
    // A definitive run that writes no document registers nothing.
    row("definitive without a template", "no template", "stampa 20 --definitiva", 1, "", "*");
    row("listing without its PDF", "", "elenco 20", 2, "", error(cmsg::text(cmsg::Text::PdfMissing)));
    // The commands that change an installation, given too little: nothing is touched.
    const QString request = cmsg::text(cmsg::Text::RequestArgument);
    row("importa without its file", "", "importa 20", 2, "",
        error(cmsg::seeHelp(cmsg::usage(QStringLiteral("importa"), {request, QStringLiteral("FILE")}))));
    row("verifica without its file", "", "verifica 20", 2, "",
        error(cmsg::seeHelp(cmsg::usage(QStringLiteral("verifica"), {request, QStringLiteral("FILE")}))));
    row("ripristina without an archive", "", "ripristina", 2, "",
        error(cmsg::seeHelp(cmsg::usage(QStringLiteral("ripristina"), {QStringLiteral("ARCHIVIO")}))));
    row("migra with a TLS mode libpq lacks", "", "migra --server localhost --tls bogus", 2, "", "*");
    // Nothing delivered to load: done, nothing changed.
    row("decode tables with nothing to load", "", "aggiorna-tabelle", 0, "", "");
    // No regional address in the INI: told, and no call made.
    row("registry download without an address", "", "scarica-anagrafe A-12", 1, "", "*");
    // Nothing to load: said, and the log an earlier download announced stays.
    row("registry without files", "log", "aggiorna-anagrafe", 1, "", error(cmsg::nothingToLoad(QStringLiteral("%2"))),
        "", {QStringLiteral("AggiornaDB.LOG=note")});
}

void TstCli::commandLines()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(QString, changed);
    QFETCH(QStringList, files);
    TestInstallation inst;
    if (setup != QLatin1String("no INI"))
        inst.writeIni({.numDoma = QStringLiteral("20")});
    seed(inst);
    if (setup == QLatin1String("empty database"))
        inst.writeFile(QStringLiteral("VELTRANORPX.db"), QByteArray());
    if (setup == QLatin1String("empty database") && TestInstallation::onServer()) {
        // On a server: a database without the program's tables.
        const DatabaseTarget empty = inst.emptyServerDatabase();
        inst.writeIni({.numDoma = QStringLiteral("20"), .serverDatabase = empty.name});
        err = error(errorLines({QString::number(Database::kNoTables), msg::store::noTables(empty.where())}));
    }
    if (setup == QLatin1String("sendable"))
        inst.sql(QStringLiteral("UPDATE Ruoli SET Cognome = 'VERDI' WHERE Cognome LIKE 'VERDI%'"));
    if (setup == QLatin1String("no template"))
        QFile::remove(inst.file(QStringLiteral("_VELTRANORPX_01.html")));
    if (setup == QLatin1String("log"))
        inst.writeFile(QStringLiteral("AggiornaDB.LOG"), "note");
    const vx::test::Dump before = vx::test::dumpOf(inst.target());
    const QByteArray iniBefore = inst.iniBytes();
    const QDateTime modified = QFileInfo(inst.databasePath()).lastModified();
    // The command prints paths as the system writes them (backslashes on Windows).
    const auto fill = [&](QString text, bool printed = false) {
        const auto shown = [printed](const QString& path) { return printed ? QDir::toNativeSeparators(path) : path; };
        return text.replace(QStringLiteral("%1"), shown(inst.folder()))
            .replace(QStringLiteral("%2"), shown(QDir::cleanPath(inst.folder())))
            .replace(QStringLiteral("%v"), QString::fromLatin1(kVersionText))
            .replace(QStringLiteral("%w"), inst.target().where());
    };
    for (QString& argument : arguments)
        argument = fill(argument);
    const vx::test::CliRun r = runCli(arguments, inst.folder());
    QCOMPARE(r.code, code);
    if (err != QLatin1String("*"))
        QCOMPARE(r.err, fill(err, true));
    QCOMPARE(r.out, fill(out, true));
    const vx::test::Dump after = vx::test::dumpOf(inst.target());
    for (auto table = after.cbegin(); table != after.cend(); ++table)
        QVERIFY2((table.value() == before.value(table.key())) == (table.key() != changed), qPrintable(table.key()));
    if (changed.isEmpty())
        QCOMPARE(QFileInfo(inst.databasePath()).lastModified(), modified);
    QCOMPARE(inst.iniBytes() == iniBefore, changed != QLatin1String("INI"));
    for (const QString& file : files) {
        const QString name = file.section(QLatin1Char('='), 0, 0);
        QVERIFY2(QFile::exists(inst.file(name)), qPrintable(name));
        if (file.contains(QLatin1Char('=')))
            QCOMPARE(vx::test::readFile(inst.file(name)), file.section(QLatin1Char('='), 1).toUtf8());
    }
    QCOMPARE(QDir(inst.folder()).entryList({QStringLiteral("*-journal")}, QDir::Files), QStringList());
}

// The listings for scripts: one JSON object per row, the column names as keys, UTF-8.
void TstCli::json()
{
    TestInstallation inst;
    inst.writeIni({.numDoma = QStringLiteral("20")});
    seed(inst);
    inst.sql(
        QStringLiteral("INSERT INTO Trasmissioni (Id, DataOra, NumDoma, NomeFile, Dimensione, SHA256, Esito, Risposta) "
                       "VALUES (1, '2026-06-01 10:00:00', 20, 'VELTRANORPX_6_20.A12', 10, 'ab', 'Trasmessa', 'OK')"));
    const auto objects = [&](const QStringList& arguments) {
        const vx::test::CliRun r = runCli(arguments + QStringList{QStringLiteral("--json")}, inst.folder());
        QList<QJsonObject> list;
        for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            list.append(QJsonDocument::fromJson(line.toUtf8()).object());
        return r.code == 0 && r.err.isEmpty() ? list : QList<QJsonObject>();
    };
    const QList<QJsonObject> info = objects({QStringLiteral("info")});
    QCOMPARE(info.size(), 1);
    QCOMPARE(info[0].value(QStringLiteral("Richiesta selezionata")).toInt(), 20);
    QCOMPARE(info[0].value(QStringLiteral("Stampata")), QJsonValue(false));
    const QList<QJsonObject> requests = objects({QStringLiteral("richieste")});
    QCOMPARE(requests.size(), 2);
    QCOMPARE(requests[1], QJsonObject({{"NumDoma", 30},
                                       {"Operatore", "B-7"},
                                       {"Prov", "001"},
                                       {"Domanda", 2},
                                       {"Stampata", true},
                                       {"Trasmessa", true}}));
    // A value that begins with a byte-order mark keeps it (written by the engine's own function:
    // SQLite's UTF-16 binding takes a leading mark for the byte order).
    inst.sql(QStringLiteral("UPDATE Ruoli SET Nome = %1(65279) || 'LAURA' WHERE CodFiscale = 'BNCLRA78D43L219O'")
                 .arg(TestInstallation::onServer() ? QStringLiteral("chr") : QStringLiteral("char")));
    const QList<QJsonObject> roles = objects({QStringLiteral("ruoli"), QStringLiteral("20")});
    QCOMPARE(roles.size(), 2);
    // (On a server Qt's driver itself reads the value without its mark: not the program's to mend.)
    const QString listed =
        runCli({QStringLiteral("ruoli"), QStringLiteral("20"), QStringLiteral("--json")}, inst.folder()).out;
    if (!TestInstallation::onServer())
        QVERIFY2(listed.contains(QStringLiteral("\"Nome\":\"") + QChar(0xFEFF) + QStringLiteral("LAURA\"")),
                 qPrintable(listed));
    QCOMPARE(roles[1].value(QStringLiteral("Cognome")).toString(), QStringLiteral("VERDI\tDE\nROSSI"));
    QCOMPARE(roles[1].value(QStringLiteral("Sede")).toInt(), 2);
    const QList<QJsonObject> history = objects({QStringLiteral("trasmissioni")});
    QCOMPARE(history.size(), 1);
    QCOMPARE(history[0].value(QStringLiteral("NomeFile")).toString(), QStringLiteral("VELTRANORPX_6_20.A12"));
    QCOMPARE(history[0].value(QStringLiteral("Dimensione")).toInt(), 10);
}

// The descriptions of the help start in one column, whatever the length of the names.
void TstCli::helpAligned()
{
    for (const QStringList& arguments : {QStringList{QStringLiteral("--help")}, {QStringLiteral("help"), "esporta"}}) {
        const vx::test::CliRun r = runCli(arguments);
        QCOMPARE(r.code, 0);
        QSet<qsizetype> columns;
        const QRegularExpression row(QStringLiteral("^  \\S.*?  +(\\S)"));
        for (const QString& line : r.out.split(QLatin1Char('\n'))) {
            if (const QRegularExpressionMatch m = row.match(line); m.hasMatch())
                columns.insert(m.capturedStart(1));
        }
        QVERIFY2(columns.size() <= 2, qPrintable(r.out)); // the commands' or arguments' column, the options'
    }
}

// The confirmation of the region is a result, on standard output; nothing goes to standard error.
void TstCli::readsAReadOnlyFile()
{
    VX_SQLITE_FILE_ONLY("the permission bits of the file and its folder");
    if (!vx::test::canRunUnprivileged())
        QSKIP(vx::test::kNoUnprivilegedUser);
    // As a user whom the permission bits concern (nobody when the test runs as root); modes 555
    // for the folder, 444 for the files.
    TestInstallation inst;
    inst.writeIni();
    inst.addRequest(20, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    QVERIFY(QFile::setPermissions(QDir(inst.folder()).absolutePath(), QFileDevice::Permissions(0x5555)));
    QVERIFY(QFile::setPermissions(inst.databasePath(), QFileDevice::Permissions(0x4444)));
    QVERIFY(QFile::setPermissions(inst.file(IniFile::kDefaultName), QFileDevice::Permissions(0x4444)));
    const QByteArray before = vx::test::readFile(inst.databasePath());
    const vx::test::ChildRun run = vx::test::runChild(kCliVariable, inst.folder() + QStringLiteral("|richieste"), true);
    QFile::setPermissions(QDir(inst.folder()).absolutePath(), QFileDevice::Permissions(0x7755));
    QFile::setPermissions(inst.databasePath(), QFileDevice::Permissions(0x6644));
    QCOMPARE(run.output,
             QByteArray("0\nNumDoma\tOperatore\tProv\tDomanda\tStampata\tTrasmessa\n20\tA-12\t001\t1\tNo\tNo\n"));
    QCOMPARE(vx::test::readFile(inst.databasePath()), before);
}

// Run as the program it is, without a session's runtime folder (a service, cron, a root shell):
// standard error holds nothing of Qt's, and the folder made to stand in for it is gone at the end.
void TstCli::noQtWarning()
{
    TestInstallation inst;
    inst.writeIni();
    const QString temp = inst.file(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temp));
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), inst.file(QStringLiteral("settings"))); // the user's settings
    env.insert(QStringLiteral("TMPDIR"), temp);
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(VX_CLI_BIN), {QStringLiteral("--cartella"), inst.folder(), QStringLiteral("richieste")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(cli.readAllStandardError()), QString());
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(cli.readAllStandardOutput().startsWith("NumDoma\t"));
    QCOMPARE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

// Another workstation prints the Request while the file is being read: the import is refused
// for that reason, in words, and the persons stay as they were.
void TstCli::importaWhileAnotherPrints()
{
#ifdef _WIN32
    QSKIP("Windows has no pipe with a name in a folder: the moment the command reads cannot be held");
#else
    TestInstallation inst;
    inst.writeIni({.tipo = Settings::kMultiutenza});
    seed(inst);
    const QString fifo = inst.file(QStringLiteral("persone.txt"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    RolePerson p = vx::test::rossi(20);
    const QString line = roles::writeLine(roles::fieldsOf(p, QStringLiteral("A"), 12, QStringLiteral("X")));
    const QByteArray rolesBefore = runCli({QStringLiteral("ruoli"), QStringLiteral("20")}, inst.folder()).out.toUtf8();
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), inst.file(QStringLiteral("settings"))); // the user's settings
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(VX_CLI_BIN),
              {QStringLiteral("--cartella"), inst.folder(), QStringLiteral("importa"), QStringLiteral("20"), fifo});
    // The pipe opens to write once the command opens it to read: it has looked at the Request
    // then, and found it open.
    int fd = -1;
    while ((fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) < 0 &&
           !cli.waitForFinished(50)) {
    }
    QVERIFY2(fd >= 0, cli.readAllStandardError().constData());
    inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1 WHERE NumDoma = 20"));
    const QByteArray bytes = line.toLatin1() + "\r\n";
    QCOMPARE(::write(fd, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    ::close(fd);
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardError()), error(cmsg::text(cmsg::Text::ImportOnPrinted)));
    QCOMPARE(runCli({QStringLiteral("ruoli"), QStringLiteral("20")}, inst.folder()).out.toUtf8(), rolesBefore);
#endif
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
