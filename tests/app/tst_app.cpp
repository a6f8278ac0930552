// Configuration, installation, start-up and options.

#include "ChildProcess.h"
#include "Support.h"
#include "TestContext.h"

#include "EngineSkip.h"
#include "app/Installation.h"
#include "app/InstallationFolder.h"
#include "app/Messages.h"
#include "app/OptionsEditor.h"
#include "app/Startup.h"
#include "core/Messages.h"
#include "core/ProgramEnvironment.h"
#include "core/Settings.h"
#include "store/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringEncoder>
#include <QTest>

#include <iostream>

using namespace vx;
using vx::test::IniValues;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

namespace {

// Start-up screens that play the installation screen's part, and the registry download's: it
// leaves `registry` (name, content) in the program folder.
class FakeScreens : public StartupScreens {
public:
    bool called = false;
    QString type = QStringLiteral("StandAlone"); // empty: the user leaves the screen
    QString path;
    AppControl* control = nullptr;
    QList<std::pair<QString, QByteArray>> registry{{"oper.tx1", "#A#,#12#,#Ente di prova#,#01#,#01234567890#"},
                                                   {"compo.tx1", "#A#,#12#,#1#,#SL#,#Sede#,#G224#"}};

    void runInstallation(AppState& state, IniFile& ini) override
    {
        called = true;
        if (type.isEmpty())
            return control->endProgram();
        Settings::writeProvider(ini, Settings::kProvider); // a file chosen, as the screen writes it
        state.installationType = type;
        state.databasePath = path;
        state.databaseFileName = QFileInfo(path).fileName();
    }
    void runRegistryDownload(AppState& state, Database&) override
    {
        for (const auto& [name, content] : registry) {
            QFile file(state.programFolder + name);
            if (file.open(QIODevice::WriteOnly))
                file.write(content);
        }
    }
};

// The INI's installation settings: type, database, database file name.
QStringList installationKeys(const TestInstallation& inst)
{
    return {inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Tipo")),
            inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("Database")),
            inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NFileDB"))};
}

// The question after a server that cannot be used: back to the file the INI still names, or the
// settings again when there is none.
Message wayOutOfTheServer(const TestInstallation& inst)
{
    const QString last = Settings::read(IniFile(inst.folder())).database;
    return !last.trimmed().isEmpty() && QFileInfo(last).isFile()
               ? msg::app::serverAlternatives(last)
               : msg::app::notice(msg::app::Notice::ServerSettingsAgain);
}

struct StartRun {
    AppState state;
    Database db;
    ScriptedPrompter prompter;
    AppControl control;
    FakeScreens screens;

    explicit StartRun(const TestInstallation& inst) : state(inst.state()) { screens.control = &control; }
    bool run() { return Startup(state, db, prompter, control, screens).run(); }
};

// Child mode: one start in the folder given, each message printed as "title|text" on a line.
const char* kStartVariable = "VX_START";
class PrintingPrompter : public Prompter {
public:
    Answer ask(const Message& m) override
    {
        std::cout << QString(m.title + QLatin1Char('|') + m.text).replace(QLatin1Char('\n'), "\\n").toStdString()
                  << std::endl;
        return m.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }
};
int startAsChild(const QString& folder)
{
    AppState state = vx::test::stateIn(folder);
    Database db;
    PrintingPrompter prompter;
    AppControl control;
    FakeScreens screens;
    std::cout << (Startup(state, db, prompter, control, screens).run() ? "avviato" : "terminato") << std::endl;
    return 0;
}

struct OptionsFixture : vx::test::InstalledContext {
    OptionsEditor editor{state, db, prompter, control};
    OptionsFixture()
    {
        // The state as the start leaves it: the database in use, and how it is shared.
        if (!TestInstallation::onServer())
            state.databasePath = inst.databasePath();
        state.installationType = Settings::kStandAlone;
        open(Database::Mode::StandAlone);
    }
};

} // namespace

Q_DECLARE_METATYPE(vx::test::IniValues)

class TstApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void iniFile();
    void iniWrites_data();
    void iniWrites();
    void iniWriteClearsWhatAKillLeft();
    void installationChoices();
    void runtimeFolder();
    void systemFolders_data();
    void systemFolders();

    void startRefused_data();
    void startRefused();
    void startOnAReadOnlyDatabase();
    void startReadsTheSettings();
    void firstInstallation();
    void firstRegistryFilesMissing_data();
    void firstRegistryFilesMissing();
    void secondProgramOnStandAloneDatabase();

    void optionsSave();
    void optionsRefusedWritesNothing();
    void optionsServerTriedFirst();
    void startOnAnUnusableServer_data();
    void startOnAnUnusableServer();
};

void TstApp::iniFile()
{
    const std::pair<const char*, const char*> names[] = {{"Config", "/prog/Config.ini"},
                                                         {"/etc/vx/VELTRANORPX.INI", "/etc/vx/VELTRANORPX.INI"},
                                                         {"altro.cfg", "/prog/altro.cfg"},
                                                         {"C:\\dati\\cfg", "C:\\dati\\cfg.ini"}};
    for (const auto& [name, expected] : names) {
        IniFile ini(QStringLiteral("/prog/"));
        QCOMPARE(ini.nomeFile(), QStringLiteral("/prog/VELTRANORPX.INI"));
        ini.setNomeFile(QString::fromLatin1(name));
        QCOMPARE(ini.nomeFile(), QString::fromLatin1(expected));
    }
    // Names in any case; what a buffer of 255 characters holds; quotes and blanks around a value.
    TestInstallation inst;
    const QString longValue(300, QLatin1Char('x'));
    inst.writeFile(IniFile::kDefaultName, "[basedati]\nDATABASE=" + longValue.toUtf8() + "\nNFileDB= \"q.db\" \n");
    const QString section = QStringLiteral("BaseDati");
    QCOMPARE(inst.ini().read(section, QStringLiteral("Database"), QStringLiteral("d")), longValue.left(254));
    QCOMPARE(inst.ini().read(section, QStringLiteral("NFileDB")), QStringLiteral("q.db"));
    QCOMPARE(inst.ini().read(section, QStringLiteral("Manca"), QStringLiteral("di base")), QStringLiteral("di base"));

    // A key before any section, in a comment or in another section is not the one asked for; a
    // section written twice is read in file order, first value first.
    inst.writeFile(IniFile::kDefaultName, "Versione=fuori\r\n[Installazione]\r\n; Versione=commento\r\n"
                                          "Tipo=primo\r\n[Altro]\r\nVersione=altro\r\n[installazione]\r\n"
                                          "Tipo=secondo\r\nVersione=SERVER\r\n");
    const IniFile::Snapshot snapshot = inst.ini().snapshot();
    QCOMPARE(snapshot.value(QStringLiteral("Installazione"), QStringLiteral("versione")), QStringLiteral("SERVER"));
    QCOMPARE(snapshot.value(QStringLiteral("INSTALLAZIONE"), QStringLiteral("Tipo")), QStringLiteral("primo"));
    QCOMPARE(snapshot.value(QStringLiteral("Altro"), QStringLiteral("Tipo"), QStringLiteral("nessuno")),
             QStringLiteral("nessuno"));
}

// Each write changes its one line in place, adding the key or the section where missing; a value
// stays on its line; every other byte stays, and no temporary file is left behind.
void TstApp::iniWrites_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("writes"); // section, key, value; ...
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("names in another case") << QByteArray("[installazione]\nTIPO=Multiutenza\n[BASEDATI]\nnumdoma=7\n")
                                           << QStringList{"BaseDati", "NumDoma", "12"}
                                           << QByteArray("[installazione]\nTIPO=Multiutenza\n[BASEDATI]\nnumdoma=12\n");
    QTest::newRow("other lines kept")
        << QByteArray("; commento\r\n[Installazione]\r\nTipo=StandAlone\r\n\r\n[Help]\r\nFILEHELP=a.html\r\n")
        << QStringList{"Installazione", "Tipo", ""}
        << QByteArray("; commento\r\n[Installazione]\r\nTipo=\r\n\r\n[Help]\r\nFILEHELP=a.html\r\n");
    QTest::newRow("key and section added")
        << QByteArray("[Installazione]\nTipo=StandAlone\n\n[Help]\nFILEHELP=a.html\n")
        << QStringList{"Installazione", "Versione", "CLIENT", "BaseDati", "NumDoma", "3"}
        << QByteArray("[Installazione]\nTipo=StandAlone\nVersione=CLIENT\n\n[Help]\nFILEHELP=a.html\n\n[BaseDati]"
                      "\nNumDoma=3\n");
    // A rewrite would make the line ends alike: the bytes kept prove that nothing was written.
    QTest::newRow("same value, file untouched")
        << QByteArray("[BaseDati]\r\nNumDoma=5\n") << QStringList{"BaseDati", "NumDoma", "5"}
        << QByteArray("[BaseDati]\r\nNumDoma=5\n");
    QTest::newRow("line breaks in a value")
        << QByteArray("[BaseDati]\nNumDoma=5\n") << QStringList{"BaseDati", "Database", "a\r\n[Help]\nNumDoma=99\rb"}
        << QByteArray("[BaseDati]\nNumDoma=5\nDatabase=a [Help] NumDoma=99 b\n");
}

void TstApp::iniWrites()
{
    QFETCH(QByteArray, before);
    QFETCH(QStringList, writes);
    QFETCH(QByteArray, after);
    TestInstallation inst;
    inst.writeFile(IniFile::kDefaultName, before);
    IniFile ini = inst.ini();
    for (qsizetype i = 0; i + 2 < writes.size(); i += 3)
        QCOMPARE(ini.write(writes[i], writes[i + 1], writes[i + 2]), 1);
    QCOMPARE(inst.iniBytes(), after);
    QCOMPARE(QDir(inst.folder()).entryList({QStringLiteral("*.INI*")}, QDir::Files | QDir::Hidden),
             QStringList{IniFile::kDefaultName});
}

void TstApp::installationChoices()
{
    TestInstallation inst;
    QVERIFY(QFile::copy(inst.databasePath(), inst.file(QStringLiteral("dati.accdb"))));
    inst.writeFile(QStringLiteral("testo.db"), "solo testo");
    const std::pair<const char*, Message> refused[] = {
        {"dati.accdb", msg::app::notice(msg::app::Notice::NotADatabase)},
        {"manca.db", msg::app::notice(msg::app::Notice::DatabaseFileMissing)},
        {"testo.db", msg::app::notice(msg::app::Notice::NotADatabase)}};
    ScriptedPrompter prompter;
    for (const auto& [name, message] : refused) {
        prompter.expect(message);
        QVERIFY(!app::checkDatabaseChoice(prompter, inst.file(QLatin1String(name))));
    }
    QFile::remove(inst.file(QStringLiteral("dati.accdb")));
    QFile::remove(inst.file(QStringLiteral("testo.db")));
    for (const char* name : {"compo.tx1", "sediocc.tx1"})
        inst.writeFile(QLatin1String(name), "x");
    IniFile ini = inst.ini();
    QString version;
    QVERIFY(app::chooseVersion(prompter, ini, inst.folder(), QStringLiteral("CLIENT"), version));
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Versione")), QStringLiteral("CLIENT"));
    QCOMPARE(QDir(inst.folder())
                 .entryList({QStringLiteral("*.db"), QStringLiteral("*.tx1"), QStringLiteral("*.cli")}, QDir::Files,
                            QDir::Name),
             (QStringList{"VELTRANORPX.cli", "compo.cli", "sediocc.cli"}));
}

// A start that cannot go on says why and ends; only settings at fault are reset (the next start
// asks for them again), and the database file is never touched.
// Without a session's runtime folder the program makes its own, private, and removes it at the end,
// with whatever was left in it.
void TstApp::runtimeFolder()
{
#ifdef Q_OS_WIN
    QSKIP("Windows gives each session its own temporary folder: the program makes none");
#endif
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray tmp = qgetenv("TMPDIR");
    TestInstallation inst;
    const QString temp = inst.file(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(temp));
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(temp));
    QStringList left;
    {
        RuntimeFolder folder;
        const QString made = qEnvironmentVariable("XDG_RUNTIME_DIR");
        QVERIFY(made.startsWith(temp));
        // Readable by its user alone (Qt's "user" bits; group and others have none).
        QCOMPARE(QFileInfo(made).permissions() & 0x0777,
                 QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
        QFile leftover(made + QStringLiteral("/socket"));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.close();
        folder.remove();
        left = QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    runtime.isNull() ? qunsetenv("XDG_RUNTIME_DIR") : qputenv("XDG_RUNTIME_DIR", runtime);
    tmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp);
    QCOMPARE(left, QStringList());
}

void TstApp::startRefused_data()
{
    QTest::addColumn<bool>("ini");
    QTest::addColumn<IniValues>("values");
    QTest::addColumn<bool>("otherDatabase"); // a SQLite file of another program
    QTest::addColumn<int>("answer");
    QTest::addColumn<Message>("message");
    QTest::addColumn<bool>("reset"); // otherwise the INI stays as it was
    const QString missing = QStringLiteral("/nessuna/cartella/VELTRANORPX.db");
    QTest::newRow("no INI") << false << IniValues() << false << 0 << msg::app::iniMissing() << false;
    QTest::newRow("Tipo in small letters")
        << true << IniValues{.tipo = QStringLiteral("standalone")} << false << 0 << msg::app::invalidSettings() << true;
    if (TestInstallation::onServer()) {
        // A database the server does not have, which a start cannot tell from a server out of
        // reach: told, and the settings stay.
        DatabaseTarget missingOnServer = TestInstallation::serverTarget();
        missingOnServer.name = QStringLiteral("manca");
        Database probe;
        QVERIFY(!probe.open(missingOnServer, Database::Mode::StandAlone));
        QTest::newRow("missing database") << true << IniValues{.serverDatabase = missingOnServer.name} << false << 0
                                          << msg::app::openFailed(probe.lastError()) << false;
    } else {
        QTest::newRow("missing database, Yes") << true << IniValues{.database = missing} << false << int(Answer::Yes)
                                               << msg::app::databaseMissing(missing) << true;
        QTest::newRow("missing database, No") << true << IniValues{.database = missing} << false << int(Answer::No)
                                              << msg::app::databaseMissing(missing) << false;
    }
    QTest::newRow("no database of ours") << true << IniValues() << true << 0
                                         << msg::app::openFailed(DbError::sqlite(26)) << true;
    // A missing driver is no fault of the installation.
    QTest::newRow("unknown driver") << true << IniValues{.provider = QStringLiteral("QNONESISTE")} << false << 0
                                    << msg::app::openFailed({"-1", "Driver di base dati non disponibile: QNONESISTE"})
                                    << false;
}

void TstApp::startRefused()
{
    QFETCH(bool, ini);
    QFETCH(IniValues, values);
    QFETCH(bool, otherDatabase);
    QFETCH(int, answer);
    QFETCH(Message, message);
    QFETCH(bool, reset);
    TestInstallation inst;
    if (ini)
        inst.writeIni(values);
    if (otherDatabase && TestInstallation::onServer()) {
        // On a server: a database without the program's tables, which only a SERVER installation
        // may lay out; the settings stay.
        const DatabaseTarget empty = inst.emptyServerDatabase();
        inst.writeIni({.versione = QStringLiteral("CLIENT"), .serverDatabase = empty.name});
        message = msg::app::openFailed({QString::number(Database::kNoTables), msg::store::noTables(empty.where())});
        reset = false;
    } else if (otherDatabase) {
        inst.writeFile(QStringLiteral("VELTRANORPX.db"), QByteArray());
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
            other.setDatabaseName(inst.databasePath());
            QVERIFY(other.open() && QSqlQuery(other).exec(QStringLiteral("CREATE TABLE Altro (x)")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("altro"));
    }
    const QByteArray iniBefore = inst.iniBytes();
    const QByteArray databaseBefore = vx::test::readFile(inst.databasePath());
    StartRun start(inst);
    if (TestInstallation::onServer() && ini && message != msg::app::invalidSettings() &&
        message.title == msg::app::text(msg::app::Text::InitErrorTitle) &&
        QByteArray(QTest::currentDataTag()) != "unknown driver") {
        // A server that cannot be used: offered again, then the way back to a file; both declined.
        start.prompter.expect(msg::app::serverUnusable(message), Answer::Cancel);
        start.prompter.expect(wayOutOfTheServer(inst), Answer::Cancel);
    } else {
        start.prompter.expect(message, Answer(answer));
    }
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.control.ended() && !start.screens.called);
    if (reset)
        QCOMPARE(installationKeys(inst), (QStringList{QString(), QString(), QString()}));
    else
        QCOMPARE(inst.iniBytes(), iniBefore);
    QCOMPARE(vx::test::readFile(inst.databasePath()), databaseBefore);
}

// A database its user may not write is no fault of the settings: they stay.
void TstApp::startOnAReadOnlyDatabase()
{
    if (!vx::test::canRunUnprivileged())
        QSKIP(vx::test::kNoUnprivilegedUser);
    // As a user the permission bits concern (nobody when the test runs as root), in a folder that
    // stays writable, so that the settings could be reset if the start wanted to: modes 777 for
    // the folder and 666 for the INI (both writable), 444 for the database.
    TestInstallation inst;
    inst.writeIni();
    const QByteArray iniBefore = inst.iniBytes();
    QVERIFY(QFile::setPermissions(QDir(inst.folder()).absolutePath(), QFileDevice::Permissions(0x7777)));
    QVERIFY(QFile::setPermissions(inst.file(IniFile::kDefaultName), QFileDevice::Permissions(0x6666)));
    QVERIFY(QFile::setPermissions(inst.databasePath(), QFileDevice::Permissions(0x4444)));
    // On a server: a database that takes no writes (a standby, or one set read-only).
    if (TestInstallation::onServer())
        inst.sql(QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only = on").arg(inst.target().name));
    const vx::test::ChildRun run = vx::test::runChild(kStartVariable, inst.folder(), true);
    QFile::setPermissions(inst.databasePath(), QFileDevice::Permissions(0x6600));
    const auto line = [](const Message& m) {
        return QString(m.title + QLatin1Char('|') + m.text).replace(QLatin1Char('\n'), "\\n") + "\n";
    };
    // On a server, offered again and then the way back to a file, which the child declines.
    const QString told =
        TestInstallation::onServer()
            ? line(msg::app::serverUnusable(msg::app::serverReadOnly(DbError::sqlite(8), inst.target().where()))) +
                  line(wayOutOfTheServer(inst))
            : line(msg::app::databaseReadOnly(DbError::sqlite(8), inst.databasePath()));
    QCOMPARE(QString::fromUtf8(run.output), told + "terminato\n");
    QCOMPARE(inst.iniBytes(), iniBefore);
}

// The INI's settings in the state; a missing help file only warns; an INI carried over from the
// program this one replaces names its provider, which is ours from then on; a first start loads
// the registry the download leaves and moves its files to CAR; the Request of the INI (read up to
// its first non-digit) is selected again.
void TstApp::startReadsTheSettings()
{
    TestInstallation inst;
    // (On a server the provider is its own: the former one always names a file.)
    inst.writeIni({.provider = TestInstallation::onServer() ? vx::test::suiteProvider()
                                                            : QStringLiteral("Microsoft.Jet.OLEDB.4.0"),
                   .numDoma = QStringLiteral("77abc"),
                   .fileHelp = QStringLiteral("manca.html")});
    inst.addRequest(77, QStringLiteral("A"), 12, QStringLiteral("001"), 3, true);
    inst.addRequest(78, QStringLiteral("A"), 12, QStringLiteral("001"), 4);
    StartRun start(inst);
    start.prompter.expect(msg::core::helpFileNotConfigured());
    QVERIFY(start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.db.isOpen() && start.state.firstInstallation);
    QCOMPARE(start.state.credential, QStringLiteral("password"));
    QCOMPARE(start.state.serverLabel, QStringLiteral("https://127.0.0.1:8443"));
    QCOMPARE(start.state.version, QStringLiteral("SERVER"));
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("PROVIDER")), vx::test::suiteProvider());
    QCOMPARE(vx::test::dumpOf(start.db).value(QStringLiteral("CorsiOper")).size(), 1);
    QCOMPARE(vx::test::readFile(inst.file(QStringLiteral("CAR/oper.car"))), start.screens.registry[0].second);
    QVERIFY(start.state.selected.number == 77 && start.state.selected.printed);
    QCOMPARE(inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("77"));
}

void TstApp::startOnAnUnusableServer_data()
{
    QTest::addColumn<bool>("fileThere"); // the INI still names the file used before the server
    QTest::addColumn<int>("choice");     // the answer to the alternatives
    QTest::addColumn<bool>("started");
    QTest::newRow("back to the file") << true << int(Answer::Yes) << true;
    QTest::newRow("settings again") << true << int(Answer::No) << true;
    QTest::newRow("closed") << true << int(Answer::Cancel) << false;
    QTest::newRow("no file: settings again") << false << int(Answer::Yes) << true;
    QTest::newRow("no file: closed") << false << int(Answer::No) << false;
}

void TstApp::startOnAnUnusableServer()
{
    // A server that cannot be reached is tried again, then left for the file used before it or
    // for the settings screen; the program ends only when the user says so.
    VX_SQLITE_FILE_ONLY("a file to go back to");
    QFETCH(bool, fileThere);
    QFETCH(int, choice);
    QFETCH(bool, started);
    TestInstallation inst;
    inst.writeIni({.fileHelp = QStringLiteral("help/VELTRANORPX.html")});
    const QString file = inst.databasePath();
    IniFile ini(inst.folder());
    Settings::writeServer(ini, QStringLiteral("127.0.0.1"), 9, QStringLiteral("veltranorpx"), QStringLiteral("disable"),
                          QString());
    if (!fileThere)
        Settings::writeTypeAndDatabase(ini, Settings::kMultiutenza, inst.file(QStringLiteral("altrove.db")));
    DatabaseTarget server;
    server.driver = Settings::kServerProvider;
    server.host = QStringLiteral("127.0.0.1");
    server.port = 9;
    server.name = QStringLiteral("veltranorpx");
    server.tlsMode = QStringLiteral("disable");
    Database probe;
    QVERIFY(!probe.open(server, Database::Mode::Multiutenza));
    const Message unusable = msg::app::serverUnusable(msg::app::openFailed(probe.lastError()));

    StartRun start(inst);
    start.screens.path = file;
    start.prompter.expect(unusable, Answer::Retry).expect(unusable, Answer::Cancel);
    start.prompter.expect(fileThere ? msg::app::serverAlternatives(file)
                                    : msg::app::notice(msg::app::Notice::ServerSettingsAgain),
                          Answer(choice));
    QCOMPARE(start.run(), started);
    VX_VERIFY_PROMPTS(start.prompter);
    QCOMPARE(start.control.ended(), !started);
    QCOMPARE(start.screens.called, started && (!fileThere || Answer(choice) == Answer::No));
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("PROVIDER")),
             started ? QStringLiteral("QSQLITE") : Settings::kServerProvider);
    if (started)
        QCOMPARE(start.db.path(), file);
}

void TstApp::firstInstallation()
{
    // An INI carried over from elsewhere.
    TestInstallation inst;
    inst.writeIni({.tipo = QString(), .provider = QStringLiteral("QNONESISTE"), .database = QStringLiteral(" ")});
    StartRun start(inst);
    start.screens.type = QStringLiteral("Multiutenza");
    start.screens.path = inst.databasePath();
    QVERIFY(start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QCOMPARE(installationKeys(inst),
             (QStringList{QStringLiteral("Multiutenza"), inst.databasePath(), "VELTRANORPX.db"}));
    QCOMPARE(start.db.mode(), Database::Mode::Multiutenza);
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("PROVIDER")), QStringLiteral("QSQLITE"));

    // Left without a choice: the INI stays as it was, and nothing is opened.
    TestInstallation left;
    left.writeIni({.tipo = QString()});
    const QByteArray before = left.iniBytes();
    StartRun abandoned(left);
    abandoned.screens.type.clear();
    QVERIFY(!abandoned.run() && !abandoned.db.isOpen());
    QCOMPARE(left.iniBytes(), before);
}

void TstApp::firstRegistryFilesMissing_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::newRow("no compo.tx1") << QStringList{"oper.tx1"};
    QTest::newRow("sediocc.tx1 alone") << QStringList{"oper.tx1", "compo.tx1", "sediocc.tx1"};
}

void TstApp::firstRegistryFilesMissing()
{
    QFETCH(QStringList, files);
    TestInstallation inst;
    inst.writeIni();
    StartRun start(inst);
    start.screens.registry.append({QStringLiteral("sediocc.tx1"), QByteArray()});
    start.screens.registry.removeIf([&](const auto& file) { return !files.contains(file.first); });
    const QString folder = QDir::toNativeSeparators(QDir::cleanPath(inst.folder()));
    start.prompter.expect(files.size() == 1 ? msg::app::registryFilesMissing(folder)
                                            : msg::app::siteFilesMissing(folder));
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.control.ended() && !start.db.isOpen());
    QCOMPARE(vx::test::dumpOf(inst.target()).value(QStringLiteral("CorsiOper")), QStringList());
}

// The database held by a program in StandAlone mode, which has opened and closed the same file
// once more (as the options' file dialog does): a second program is refused, its settings kept.
void TstApp::secondProgramOnStandAloneDatabase()
{
    TestInstallation inst;
    inst.writeIni();
    const QByteArray before = inst.iniBytes();
    auto held = std::make_unique<Database>();
    QVERIFY(inst.open(*held, Database::Mode::StandAlone));
    QVERIFY(QFile(inst.databasePath()).open(QIODevice::ReadOnly));
    StartRun start(inst);
    // Offered again, as a save is, until the user gives up.
    start.prompter.expect(msg::app::databaseHeld(DbError::sqlite(5)), Answer::Retry)
        .expect(msg::app::databaseHeld(DbError::sqlite(5)), Answer::Cancel);
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QCOMPARE(inst.iniBytes(), before);
    held.reset(); // once the first program has ended, the file is free again
    StartRun again(inst);
    QVERIFY(again.run());
}

void TstApp::optionsSave()
{
    // Only the look and the e-mail changed: the INI is not written and the program goes on.
    OptionsFixture f;
    const QByteArray before = f.inst.iniBytes();
    OptionsValues v = f.editor.load();
    const bool server = TestInstallation::onServer();
    DatabaseTarget shown = server ? f.inst.target() : DatabaseTarget();
    shown.password.clear(); // the options hold none (the suite's own connections may name it)
    QCOMPARE(v, (OptionsValues{false, f.inst.databasePath(), QStringLiteral("Indirizzo e-mail..."),
                               OptionsValues::MailServer::None, QString(), QString(), "__/__/____", LookOptions(),
                               server, shown}));
    v.email = QStringLiteral("mario.rossi@example.it");
    v.look = {true, true, false};
    QCOMPARE(f.editor.save(v, false), OptionsEditor::Outcome::Close);
    QCOMPARE(f.inst.iniBytes(), before);
    QVERIFY(!f.control.ended() && f.db.isOpen());
    QCOMPARE(f.state.look, v.look);
    QCOMPARE(f.editor.load().email, v.email);

    // The installation changed: written, told, and the program ends before the look is stored.
    v.multiutenza = true;
    v.database = QStringLiteral("/srv/condivisa/VELTRANORPX.db");
    v.server = OptionsValues::MailServer::Own;
    v.ownServer = QStringLiteral("smtp.ente.example");
    v.look = {};
    // (On a server, which is tried before it is saved, the user's password as the start asked it.)
    f.state.serverPassword = f.inst.target().password;
    f.prompter.expect(msg::app::restartNeeded());
    QCOMPARE(f.editor.save(v, true), OptionsEditor::Outcome::ProgramEnded);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended() && !f.db.isOpen());
    QCOMPARE(installationKeys(f.inst), (QStringList{QStringLiteral("Multiutenza"), v.database, "VELTRANORPX.db"}));
    QCOMPARE(f.editor.load().ownServer, v.ownServer);
    QCOMPARE(f.editor.load().look, (LookOptions{true, true, false}));
}

// Everything is checked before anything is written.
void TstApp::optionsRefusedWritesNothing()
{
    OptionsFixture f;
    UserSettings().setServerMail(QStringLiteral("smtp.prima.example"));
    const QByteArray before = f.inst.iniBytes();
    OptionsValues v = f.editor.load(); // an own server, which the user empties
    v.multiutenza = true;
    v.email = QStringLiteral("a.b@example.it");
    v.ownServer.clear();
    f.prompter.expect(msg::app::ownMailServerMissing());
    QCOMPARE(f.editor.save(v, true), OptionsEditor::Outcome::StayOpen);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.control.ended());
    QCOMPARE(f.inst.iniBytes(), before);
    QCOMPARE(f.editor.load().email + f.editor.load().ownServer,
             QStringLiteral("Indirizzo e-mail...smtp.prima.example"));
}

// A server chosen in the options is opened before it is saved: one that cannot be reached is
// told, and the installation stays on its file.
void TstApp::optionsServerTriedFirst()
{
    OptionsFixture f;
    const QByteArray before = f.inst.iniBytes();
    OptionsValues v = f.editor.load();
    v.email = QStringLiteral("a.b@example.it");
    v.onServer = true;
    v.databaseServer.driver = Settings::kServerProvider;
    v.databaseServer.host = QStringLiteral("127.0.0.1");
    v.databaseServer.port = 9; // nothing listens there
    v.databaseServer.name = QStringLiteral("veltranorpx");
    v.databaseServer.tlsMode = QStringLiteral("disable");
    v.databaseServer.user = QStringLiteral("segreteria");
    Database probe;
    DatabaseTarget target = v.databaseServer;
    QVERIFY(!probe.open(target, Database::Mode::StandAlone));
    f.prompter.expect(msg::app::serverNotSaved(msg::app::openFailed(probe.lastError())));
    QCOMPARE(f.editor.save(v, true), OptionsEditor::Outcome::StayOpen);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.control.ended() && f.db.isOpen());
    QCOMPARE(f.inst.iniBytes(), before);
    QCOMPARE(f.control.busyDepth(), 0);
}

// A write killed between its temporary file and the rename left the temporary file: the next write
// clears it, but not one a moment old (another workstation's, writing now).
void TstApp::iniWriteClearsWhatAKillLeft()
{
    TestInstallation inst;
    inst.writeIni();
    const QString old = inst.file(QStringLiteral("VELTRANORPX.INI.aB3xYz"));
    const QString fresh = inst.file(QStringLiteral("VELTRANORPX.INI.Qw9rTu"));
    for (const QString& path : {old, fresh}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QFile aged(old);
    QVERIFY(aged.open(QIODevice::ReadWrite));
    QVERIFY(aged.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    aged.close();
    IniFile ini(inst.folder());
    QCOMPARE(ini.write(QStringLiteral("Prova"), QStringLiteral("Chiave"), QStringLiteral("1")), 1);
    QVERIFY(!QFile::exists(old));
    QVERIFY(QFile::exists(fresh));
}

void TstApp::systemFolders_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("system");
#ifdef Q_OS_WIN
    QTest::newRow("a drive's root") << "C:/" << true;
    QTest::newRow("the root, written otherwise") << "C:\\Windows\\.." << true;
    QTest::newRow("Windows") << "C:/Windows/System32" << true;
    QTest::newRow("the programs, in other letters") << "c:/program files/VELTRANORPX" << true;
    QTest::newRow("the programs' data") << "C:/ProgramData/VELTRANORPX" << true;
    QTest::newRow("a user's documents") << "C:/users/mario/Documents/VELTRANORPX" << false;
    QTest::newRow("a name that begins as one") << "C:/Windowsdati/VELTRANORPX" << false;
    QTest::newRow("a share") << "//server/dati/VELTRANORPX" << false;
    QTest::newRow("another drive") << "D:/VELTRANORPX" << false;
#else
    QTest::newRow("the root") << "/" << true;
    QTest::newRow("the root, written otherwise") << "/usr/.." << true;
    QTest::newRow("under /usr") << "/usr/local/veltranorpx" << true;
    QTest::newRow("/etc") << "/etc" << true;
    QTest::newRow("the homes") << "/home" << true;
    QTest::newRow("a user's folder") << "/home/mario/VELTRANORPX" << false;
    QTest::newRow("a name that begins as one") << "/usrdati/VELTRANORPX" << false;
    QTest::newRow("under /tmp") << "/tmp/prova" << false;
    QTest::newRow("a share mounted") << "/mnt/server/VELTRANORPX" << false;
#endif
}

// An installation is never laid out among the system's own files (a root shell's "--cartella /").
void TstApp::systemFolders()
{
    QFETCH(QString, folder);
    QFETCH(bool, system);
    QCOMPARE(app::isSystemFolder(folder), system);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kStartVariable))
        return startAsChild(qEnvironmentVariable(kStartVariable));
    TstApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app.moc"
