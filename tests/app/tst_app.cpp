// Configuration, installation, start-up and options.

#include "ChildProcess.h"
#include "TestContext.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "app/OptionsEditor.h"
#include "app/Startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QStringEncoder>
#include <QTest>

#include <iostream>
#include <string>
#include <utility>

using namespace vx;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

namespace {

const QString kInitTitle = QStringLiteral("Errore di inizializzazione");

// Start-up screens that play the installation screen's part: they set what the user chose.
class FakeScreens : public StartupScreens {
public:
    bool called = false;
    bool abandon = false;
    QString type = QStringLiteral("StandAlone");
    QString path;
    AppControl* control = nullptr;

    void runInstallation(AppState& state, IniFile&) override
    {
        called = true;
        if (abandon) {
            control->endProgram();
            return;
        }
        state.installationType = type;
        state.databasePath = path;
        state.databaseFileName = QFileInfo(path).fileName();
    }
    // As the download from the region: the agency's operator and its legal seat, on a database
    // that holds no operator yet.
    void runRegistryDownload(AppState& state, Database&) override
    {
        for (const auto& [name, line] : {std::pair{"oper.tx1", "#A#,#12#,#Ente di prova#,#01#,#01234567890#"},
                                         std::pair{"compo.tx1", "#A#,#12#,#1#,#SL#,#Sede#,#G224#"}}) {
            QFile file(state.programFolder + QLatin1String(name));
            if (file.open(QIODevice::WriteOnly))
                file.write(line);
        }
    }
};

QString missingDatabaseText(const QString& path)
{
    return QStringLiteral("File base dati non presente.") + path +
           QStringLiteral("\nNon è possibile utilizzare il programma.\n\n"
                          "La base dati è stata rimossa o spostata oppure alcune impostazioni del file "
                          "VELTRANORPX.INI sono errate.\n\n"
                          "E' possibile correggere l'errore reimpostando l'installazione del programma, eventuali "
                          "dati salvati non verranno persi.\n"
                          "Premere 'Sì' per procedere alla correzione automatica, quindi riavviare il programma.\n"
                          "Se il problema persiste contattare l'assistenza tecnica.");
}

// The INI's installation settings: its type, its database and the database's file name.
QStringList installationKeys(const TestInstallation& inst)
{
    return {inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Tipo")),
            inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("Database")),
            inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NFileDB"))};
}

// What a reset leaves of them: the installation screen asks again at the next start.
const QStringList kResetKeys{QString(), QString(), QString()};

// One start of the program on a test installation.
struct StartRun {
    AppState state;
    Database db;
    ScriptedPrompter prompter;
    AppControl control;
    FakeScreens screens;

    explicit StartRun(const TestInstallation& inst) : state(inst.state()) {}
    bool run() { return Startup(state, db, prompter, control, screens).run(); }
};

const char* kHoldVariable = "VX_HOLD_DATABASE";

// Child mode: hold the database in StandAlone mode until standard input closes.
int holdDatabase(const QString& path)
{
    Database db;
    if (!db.open(QStringLiteral("QSQLITE"), path, Database::Mode::StandAlone)) {
        std::cout << "errore " << db.lastError().description.toStdString() << std::endl;
        return 1;
    }
    // As the file dialog of the options does: the same file opened and closed in this process.
    {
        QFile peek(path);
        if (!peek.open(QIODevice::ReadOnly) || peek.read(16).size() != 16)
            return 1;
    }
    std::cout << "pronto" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    return 0;
}

const char* kStartVariable = "VX_START";

// A prompter that writes every message to standard output, one per line, for the parent to check.
class PrintingPrompter : public Prompter {
public:
    Answer ask(const Message& message) override
    {
        QString line = message.title + QLatin1Char('|') + message.text;
        std::cout << line.replace(QLatin1Char('\n'), QStringLiteral("\\n")).toStdString() << std::endl;
        return message.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }
};

// Child mode: one start of the program in the folder given, its messages on standard output.
int startAsChild(const QString& folder)
{
    AppState state;
    state.programFolder = folder;
    Database db;
    PrintingPrompter prompter;
    AppControl control;
    FakeScreens screens;
    const bool started = Startup(state, db, prompter, control, screens).run();
    std::cout << (started ? "avviato" : "terminato") << std::endl;
    return 0;
}

} // namespace

class TstApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nomeFile_data();
    void nomeFile();
    void leggiKeepsOnlyWhatTheBufferHolds();
    void iniWrites_data();
    void iniWrites();
    void unicodeFilesReadAndKept_data();
    void unicodeFilesReadAndKept();
    void unscrambleAndLabels_data();
    void unscrambleAndLabels();

    void databaseChoice_data();
    void databaseChoice();
    void shortenedPath();
    void versionChoice();
    void clientWithoutLocalDatabase();
    void abortQuestion();

    void startWithoutIni();
    void startWithBadTipo_data();
    void startWithBadTipo();
    void startWithMissingDatabase_data();
    void startWithMissingDatabase();
    void startWithNoDatabaseOfOurs_data();
    void startWithNoDatabaseOfOurs();
    void startWithPassingFault_data();
    void startWithPassingFault();
    void startWithProvider_data();
    void startWithProvider();
    void startWithMissingHelpWarns();
    void firstInstallationWritesIni();
    void firstInstallationAbandoned();
    void startRestoresSelectedRequest();
    void secondProgramOnStandAloneDatabase();

    void optionsLoad();
    void optionsOnlyLookChanged();
    void optionsInstallationChanged();
    void optionsOwnServerEmpty();
    void optionsBadEmailWritesNothing();
    void optionsCancel_data();
    void optionsCancel();
};

void TstApp::nomeFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* tag, const char* name, const char* expected) { QTest::newRow(tag) << name << expected; };
    row("bare name", "Config", "/prog/Config.ini");
    row("full path with dot", "/etc/vx/VELTRANORPX.INI", "/etc/vx/VELTRANORPX.INI");
    row("dot, no folder", "altro.cfg", "/prog/altro.cfg");
    row("backslash folder, no dot", "C:\\dati\\cfg", "C:\\dati\\cfg.ini");
}

void TstApp::nomeFile()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    IniFile ini(QStringLiteral("/prog/"));
    QCOMPARE(ini.nomeFile(), QStringLiteral("/prog/VELTRANORPX.INI"));
    ini.setNomeFile(name);
    QCOMPARE(ini.nomeFile(), expected);
}

void TstApp::leggiKeepsOnlyWhatTheBufferHolds()
{
    TestInstallation inst;
    const QString longValue = QString(300, QLatin1Char('x')) + QStringLiteral("END");
    inst.writeFile(IniFile::kDefaultName, "[basedati]\nDATABASE=" + longValue.toUtf8() + "\nNFileDB= \"q.db\" \n");
    const IniFile ini = inst.ini();
    const QString section = QStringLiteral("BaseDati");
    QCOMPARE(ini.read(section, QStringLiteral("Database"), QStringLiteral("d")), longValue.left(254));
    QCOMPARE(ini.read(section, QStringLiteral("NFileDB")), QStringLiteral("q.db"));
    QCOMPARE(ini.read(section, QStringLiteral("Manca"), QStringLiteral("predefinito")), QStringLiteral("predefinito"));
}

// Each write changes its one line in place, adding the key or the section where missing, and
// leaves every other byte and no temporary file behind.
void TstApp::iniWrites_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QStringList>("writes"); // section, key, value; ...
    QTest::addColumn<QByteArray>("after");
    const QStringList database{QStringLiteral("BaseDati"), QStringLiteral("Database")};
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
    // A value stays on its line: no key or section can be slipped in through it.
    QTest::newRow("line feed") << QByteArray("[BaseDati]\nNumDoma=5\n")
                               << database + QStringList{"/dati/a.db\nNumDoma=99"}
                               << QByteArray("[BaseDati]\nNumDoma=5\nDatabase=/dati/a.db NumDoma=99\n");
    QTest::newRow("carriage return") << QByteArray("[BaseDati]\nNumDoma=5\n") << database + QStringList{"a\rb"}
                                     << QByteArray("[BaseDati]\nNumDoma=5\nDatabase=a b\n");
    QTest::newRow("both") << QByteArray("[BaseDati]\nNumDoma=5\n") << database + QStringList{"a\r\n[Help]"}
                          << QByteArray("[BaseDati]\nNumDoma=5\nDatabase=a [Help]\n");
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

void TstApp::unicodeFilesReadAndKept_data()
{
    QTest::addColumn<QByteArray>("bom");
    QTest::addColumn<int>("encoder");
    QTest::newRow("UTF-16LE") << QByteArray("\xFF\xFE", 2) << int(QStringConverter::Utf16LE);
    QTest::newRow("UTF-16BE") << QByteArray("\xFE\xFF", 2) << int(QStringConverter::Utf16BE);
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF") << int(QStringConverter::Utf8);
}

void TstApp::unicodeFilesReadAndKept()
{
    QFETCH(QByteArray, bom);
    QFETCH(int, encoder);
    QStringEncoder encode(static_cast<QStringConverter::Encoding>(encoder));
    TestInstallation inst;
    const QString text =
        QStringLiteral("[Installazione]\r\nTipo=Multiutenza\r\n[BaseDati]\r\nDatabase=C:\\Città\\a.db\r\n");
    inst.writeFile(IniFile::kDefaultName, bom + encode.encode(text));
    IniFile ini = inst.ini();
    QCOMPARE(ini.read(QStringLiteral("Installazione"), QStringLiteral("Tipo")), QStringLiteral("Multiutenza"));
    QCOMPARE(ini.read(QStringLiteral("BaseDati"), QStringLiteral("Database")), QStringLiteral("C:\\Città\\a.db"));
    ini.write(QStringLiteral("BaseDati"), QStringLiteral("NumDoma"), QStringLiteral("7"));
    // Written back in its own encoding: the other values read as before.
    QCOMPARE(ini.read(QStringLiteral("BaseDati"), QStringLiteral("Database")), QStringLiteral("C:\\Città\\a.db"));
    QCOMPARE(ini.read(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("7"));
    if (encoder != int(QStringConverter::Utf8))
        QVERIFY(inst.iniBytes().startsWith(bom));
}

void TstApp::unscrambleAndLabels_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("service");
    auto row = [](const char* name, const char* address, const char* server, const char* service) {
        QTest::newRow(name) << address << server << service;
    };
    row("https", "https://servizi.regione.example/nreg/numero", "https://servizi.regione.example", "nreg/numero");
    row("http", "http://h/x", "http://h", "x");
    row("no path", "https://host", "https://host", "");
}

void TstApp::unscrambleAndLabels()
{
    QFETCH(QString, address);
    QFETCH(QString, server);
    QFETCH(QString, service);
    QCOMPARE(Settings::serverLabel(address), server);
    QCOMPARE(Settings::serviceLabel(address), service);
    QCOMPARE(Settings::unscramble(QStringLiteral("q`rrvnse")), QStringLiteral("password"));
    QCOMPARE(Settings::unscramble(Settings::unscramble(QStringLiteral("Città:1"))), QStringLiteral("Città:1"));
}

void TstApp::databaseChoice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    const QString notSqlite = QStringLiteral("Il file selezionato non è un database SQLite.");
    QTest::newRow("nothing chosen") << "" << QByteArray() << "Selezionare una base dati.";
    QTest::newRow("upper-case extension") << "DATI.DB" << QByteArray("sqlite") << "";
    QTest::newRow("lower-case extension") << "dati.db" << QByteArray("sqlite") << "";
    QTest::newRow("other extension") << "dati.accdb" << QByteArray("sqlite") << notSqlite;
    QTest::newRow("missing file") << "manca.db" << QByteArray() << "File inesistente.";
    QTest::newRow("not a database") << "testo.db" << QByteArray("solo testo, non una base dati") << notSqlite;
}

void TstApp::databaseChoice()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    TestInstallation inst;
    QString path;
    if (!name.isEmpty()) {
        path = inst.file(name);
        if (content == "sqlite")
            QFile::copy(inst.databasePath(), path);
        else if (!content.isEmpty())
            inst.writeFile(name, content);
    }
    ScriptedPrompter prompter;
    if (!message.isEmpty())
        prompter.expect(message, QStringLiteral("Controllo dati"), Icon::Critical);
    QCOMPARE(installation::checkDatabaseChoice(prompter, path), message.isEmpty());
    VX_VERIFY_PROMPTS(prompter);
}

void TstApp::shortenedPath()
{
    const QString p55(55, QLatin1Char('a'));
    QCOMPARE(installation::shortenedPath(p55), p55);
    QCOMPARE(installation::shortenedPath(p55 + QLatin1Char('b')), p55 + QStringLiteral("..."));
}

void TstApp::versionChoice()
{
    TestInstallation inst;
    inst.writeIni();
    for (const char* name : {"oper.tx1", "compo.tx1", "sediocc.tx1"})
        inst.writeFile(QLatin1String(name), "x");
    IniFile ini = inst.ini();
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("Scegliere la versione dell'applicativo: SERVER o CLIENT"),
                    QStringLiteral("Controllo dati"), Icon::Critical);
    QString version = QStringLiteral("prima");
    QVERIFY(!installation::chooseVersion(prompter, ini, inst.folder(), QString(), version));
    QCOMPARE(version, QStringLiteral("prima"));
    QVERIFY(installation::chooseVersion(prompter, ini, inst.folder(), QStringLiteral("CLIENT"), version));
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(version, QStringLiteral("CLIENT"));
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Versione")), QStringLiteral("CLIENT"));
    const QStringList files = QDir(inst.folder()).entryList(QDir::Files, QDir::Name);
    for (const char* name : {"VELTRANORPX.cli", "oper.cli", "compo.cli", "sediocc.cli"})
        QVERIFY2(files.contains(QLatin1String(name)), name);
    for (const char* name : {"VELTRANORPX.db", "oper.tx1", "compo.tx1", "sediocc.tx1", "sediutil.cli"})
        QVERIFY2(!files.contains(QLatin1String(name)), name);
}

void TstApp::clientWithoutLocalDatabase()
{
    TestInstallation inst;
    inst.writeIni();
    QFile::remove(inst.databasePath());
    IniFile ini = inst.ini();
    ScriptedPrompter prompter;
    QString version;
    QVERIFY(installation::chooseVersion(prompter, ini, inst.folder(), QStringLiteral("CLIENT"), version));
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Versione")), QStringLiteral("CLIENT"));
}

void TstApp::abortQuestion()
{
    const Message question{QStringLiteral("Si è sicuri di voler interrompere l'installazione?"),
                           QStringLiteral("Installazione"), Icon::None, Buttons::YesNo};
    ScriptedPrompter prompter;
    prompter.expect(question, Answer::No).expect(question, Answer::Yes);
    AppControl control;
    QVERIFY(!installation::confirmAbort(prompter, control));
    QVERIFY(!control.ended());
    QVERIFY(installation::confirmAbort(prompter, control));
    QVERIFY(control.ended());
    VX_VERIFY_PROMPTS(prompter);
}

void TstApp::startWithoutIni()
{
    TestInstallation inst;
    StartRun start(inst);
    start.prompter.expect(QStringLiteral("Impossibile trovare il file VELTRANORPX.INI.\nLa procedura verrà terminata."),
                          kInitTitle, Icon::Critical);
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.control.ended());
    QVERIFY(!QFile::exists(inst.file(IniFile::kDefaultName)));
    QVERIFY(!start.db.isOpen());
}

void TstApp::startWithBadTipo_data()
{
    QTest::addColumn<QString>("tipo");
    QTest::newRow("other letter case") << "standalone";
    QTest::newRow("unknown") << "Rete";
}

void TstApp::startWithBadTipo()
{
    QFETCH(QString, tipo);
    TestInstallation inst;
    inst.writeIni({.tipo = tipo});
    StartRun start(inst);
    start.prompter.expect(QStringLiteral("E' stata rilevata una situazione anomala in fase di inizializzazione.\n"
                                         "Le impostazioni di VELTRANORPX.INI non sono valide.\n"
                                         "Il programma verrà terminato.\n"
                                         "La procedura cercherà di correggere il problema automaticamente.\n"
                                         "Sarà chiesta nuovamente l'impostazione dell'installazione.\n"
                                         "Eventuali dati salvati non verranno persi.\n"
                                         "Premere 'Ok' quindi riavviare il programma.\n"
                                         "Se il problema persiste, contattare l'assistenza tecnica."),
                          kInitTitle, Icon::Critical);
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.control.ended());
    QVERIFY(!start.screens.called);
    QCOMPARE(installationKeys(inst), kResetKeys);
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Versione")), QStringLiteral("SERVER"));
}

void TstApp::startWithMissingDatabase_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("reset");
    QTest::newRow("Yes resets") << int(Answer::Yes) << true;
    QTest::newRow("No keeps the INI") << int(Answer::No) << false;
}

void TstApp::startWithMissingDatabase()
{
    QFETCH(int, answer);
    QFETCH(bool, reset);
    TestInstallation inst;
    const QString missing = inst.file(QStringLiteral("altrove/VELTRANORPX.db"));
    inst.writeIni({.database = missing});
    const QByteArray before = inst.iniBytes();
    StartRun start(inst);
    start.prompter.expect(missingDatabaseText(missing), QStringLiteral("Imposta base dati"), Icon::Critical,
                          Buttons::YesNo, Answer(answer));
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.control.ended());
    if (reset) {
        QCOMPARE(installationKeys(inst), kResetKeys);
    } else {
        QCOMPARE(inst.iniBytes(), before);
    }
    QVERIFY(!QFile::exists(missing));
}

void TstApp::startWithNoDatabaseOfOurs_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("sqlite"); // a SQLite file with a table of another program
    QTest::newRow("not SQLite") << QByteArray(4096, 'z') << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("SQLite without our tables") << QByteArray() << true;
}

void TstApp::startWithNoDatabaseOfOurs()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, sqlite);
    TestInstallation inst;
    inst.writeIni();
    inst.writeFile(QStringLiteral("VELTRANORPX.db"), content);
    if (sqlite) {
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
            other.setDatabaseName(inst.databasePath());
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("CREATE TABLE Altro (x)")));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("altro"));
    }
    QFile file(inst.databasePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    StartRun start(inst);
    start.prompter.expect(QStringLiteral("Errore 26\nfile is not a database\n"
                                         "Il file indicato non è una base dati di VELTRANORPX."),
                          kInitTitle, Icon::Critical);
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.control.ended());
    QCOMPARE(installationKeys(inst), kResetKeys);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

void TstApp::startWithPassingFault_data()
{
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("message"); // %1: the database path
    QTest::newRow("read-only file")
        << true
        << "Errore 8\nattempt to write a readonly database\nNon è possibile scrivere nel file della base dati %1: "
           "verificare i permessi del file e della sua cartella, quindi riavviare il programma.";
    QTest::newRow("permission denied")
        << false
        << "Errore 14\nunable to open database file\nImpossibile aprire il file della base dati: verificare che "
           "esista e che la sua cartella sia raggiungibile.";
}

void TstApp::startWithPassingFault()
{
    QFETCH(bool, readable);
    QFETCH(QString, message);
    if (!vx::test::canRunUnprivileged())
        QSKIP("root without setpriv: no user here lacks the right to write");
    // Permissions stop neither root nor the owner alone: the start runs as a user they concern
    // (nobody when the test runs as root). The folder stays writable, so that the settings could
    // be reset if the start wanted to.
    TestInstallation inst;
    inst.writeIni();
    const QByteArray iniBefore = inst.iniBytes();
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::WriteGroup |
                     QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(QDir(inst.folder()).absolutePath(), all));
    QVERIFY(QFile::setPermissions(inst.file(IniFile::kDefaultName),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(inst.databasePath(), readable ? QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther
                                                                : QFileDevice::Permissions()));
    const vx::test::ChildRun run = vx::test::runChild(kStartVariable, inst.folder(), true);
    QFile::setPermissions(inst.databasePath(), QFile::ReadOwner | QFile::WriteOwner);
    QString expected = kInitTitle + QLatin1Char('|') + message;
    expected.replace(QStringLiteral("%1"), inst.databasePath());
    QCOMPARE(QString::fromUtf8(run.output),
             expected.replace(QLatin1Char('\n'), QStringLiteral("\\n")) + QStringLiteral("\nterminato\n"));
    QCOMPARE(inst.iniBytes(), iniBefore);
}

void TstApp::startWithProvider_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<bool>("starts");
    QTest::addColumn<QString>("written"); // PROVIDER after the start
    QTest::newRow("QSQLITE") << "QSQLITE" << true << "QSQLITE";
    QTest::newRow("empty") << "" << true << "";
    QTest::newRow("the former program's") << "Microsoft.Jet.OLEDB.4.0" << true << "QSQLITE";
    QTest::newRow("unknown") << "QNONESISTE" << false << "QNONESISTE";
}

void TstApp::startWithProvider()
{
    QFETCH(QString, provider);
    QFETCH(bool, starts);
    QFETCH(QString, written);
    TestInstallation inst;
    inst.writeIni({.provider = provider});
    StartRun start(inst);
    if (!starts)
        start.prompter.expect(QStringLiteral("Errore -1\nDriver di base dati non disponibile: ") + provider +
                                  QStringLiteral("\nIl valore PROVIDER del file VELTRANORPX.INI non indica un driver "
                                                 "disponibile: correggerlo in QSQLITE."),
                              kInitTitle, Icon::Critical);
    QCOMPARE(start.run(), starts);
    VX_VERIFY_PROMPTS(start.prompter);
    QCOMPARE(start.db.isOpen(), starts);
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("PROVIDER")), written);
    // A missing driver is no fault of the installation: its settings stay.
    QCOMPARE(installationKeys(inst),
             (QStringList{QStringLiteral("StandAlone"), inst.databasePath(), QStringLiteral("VELTRANORPX.db")}));
}

void TstApp::startWithMissingHelpWarns()
{
    TestInstallation inst;
    inst.writeIni({.fileHelp = QStringLiteral("manca.html")});
    StartRun start(inst);
    start.prompter.expect(QStringLiteral("File di Aiuto non presente"), QStringLiteral("Imposta Aiuto"),
                          Icon::Exclamation);
    QVERIFY(start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.db.isOpen());
    QCOMPARE(start.state.credential, QStringLiteral("password"));
    QCOMPARE(start.state.serverLabel, QStringLiteral("https://127.0.0.1:8443"));
    QCOMPARE(start.state.legalSeatType, QStringLiteral("SL"));
    QCOMPARE(start.state.version, QStringLiteral("SERVER"));
}

void TstApp::firstInstallationWritesIni()
{
    TestInstallation inst;
    // An INI carried over from elsewhere.
    inst.writeIni({.tipo = QString(), .provider = QStringLiteral("QNONESISTE"), .database = QStringLiteral(" ")});
    StartRun start(inst);
    start.screens.type = QStringLiteral("Multiutenza");
    start.screens.path = inst.databasePath();
    QVERIFY(start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.screens.called);
    QCOMPARE(installationKeys(inst),
             (QStringList{QStringLiteral("Multiutenza"), inst.databasePath(), QStringLiteral("VELTRANORPX.db")}));
    QCOMPARE(start.db.mode(), Database::Mode::Multiutenza);
    QCOMPARE(inst.readIni(QStringLiteral("Installazione"), QStringLiteral("PROVIDER")), QStringLiteral("QSQLITE"));
}

void TstApp::firstInstallationAbandoned()
{
    TestInstallation inst;
    inst.writeIni({.tipo = QString()});
    const QByteArray before = inst.iniBytes();
    StartRun start(inst);
    start.screens.abandon = true;
    start.screens.control = &start.control;
    QVERIFY(!start.run());
    QCOMPARE(inst.iniBytes(), before);
    QVERIFY(!start.db.isOpen());
}

void TstApp::startRestoresSelectedRequest()
{
    TestInstallation inst;
    inst.writeIni({.numDoma = QStringLiteral("77abc")});
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addRequest(77, QStringLiteral("A"), 12, QStringLiteral("001"), 3, true);
    inst.addRequest(78, QStringLiteral("A"), 12, QStringLiteral("001"), 4);
    StartRun start(inst);
    QVERIFY(start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QCOMPARE(start.state.selected.number, 77);
    QCOMPARE(start.state.selected.provinceName, QStringLiteral("TORINO"));
    QVERIFY(start.state.selected.printed);
    QCOMPARE(inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("77"));
}

void TstApp::secondProgramOnStandAloneDatabase()
{
    TestInstallation inst;
    inst.writeIni();
    const QByteArray before = inst.iniBytes();

    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kHoldVariable), inst.databasePath());
    holder.setProcessEnvironment(env);
    holder.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(30000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("pronto"));

    StartRun start(inst);
    start.prompter.expect(QStringLiteral("Errore 5\ndatabase is locked\nIl programma è già aperto su questa base "
                                         "dati, su questo computer o su un'altra postazione."),
                          kInitTitle, Icon::Critical);
    QVERIFY(!start.run());
    VX_VERIFY_PROMPTS(start.prompter);
    QVERIFY(start.control.ended());
    QCOMPARE(inst.iniBytes(), before);

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(holder.exitCode(), 0);

    // Once the first program has ended, the file is free again.
    StartRun again(inst);
    QVERIFY(again.run());
    VX_VERIFY_PROMPTS(again.prompter);
}

namespace {
struct OptionsFixture : vx::test::InstalledContext {
    OptionsEditor editor{state, db, prompter, control};

    OptionsFixture() { open(Database::Mode::StandAlone); }
};
} // namespace

void TstApp::optionsLoad()
{
    OptionsFixture f;
    OptionsValues v = f.editor.load();
    QCOMPARE(v.email, QStringLiteral("Indirizzo e-mail..."));
    QCOMPARE(v.server, OptionsValues::MailServer::None);
    QCOMPARE(v.lastUpdate, QStringLiteral("__/__/____"));
    QCOMPARE(v.look, LookOptions());
    QVERIFY(!v.multiutenza);
    QCOMPARE(v.database, f.inst.databasePath());

    UserSettings().setServerMail(QStringLiteral("smtp.mio.example"));
    v = f.editor.load();
    QCOMPARE(v.server, OptionsValues::MailServer::Own);
    QCOMPARE(v.ownServer, QStringLiteral("smtp.mio.example"));
    UserSettings().setServerMail(f.editor.secondHost());
    QCOMPARE(f.editor.load().server, OptionsValues::MailServer::Second);
}

void TstApp::optionsOnlyLookChanged()
{
    OptionsFixture f;
    const QByteArray before = f.inst.iniBytes();
    OptionsValues v = f.editor.load();
    v.email = QStringLiteral("mario.rossi@example.it");
    v.look = {true, true, false};
    QCOMPARE(f.editor.save(v, false), OptionsEditor::Outcome::Close);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.inst.iniBytes(), before);
    QVERIFY(!f.control.ended());
    QVERIFY(f.db.isOpen());
    QCOMPARE(UserSettings().lookOptions(), (LookOptions{true, true, false}));
    QCOMPARE(f.state.look, (LookOptions{true, true, false}));
    QCOMPARE(UserSettings().email(), QStringLiteral("mario.rossi@example.it"));
}

void TstApp::optionsInstallationChanged()
{
    OptionsFixture f;
    OptionsValues v = f.editor.load();
    v.email = QStringLiteral("mario.rossi@example.it");
    v.multiutenza = true;
    v.database = QStringLiteral("/srv/condivisa/VELTRANORPX.db");
    v.server = OptionsValues::MailServer::First;
    v.look = {true, false, true};
    f.prompter.expect(QStringLiteral("Sono state modificate delle impostazioni di installazione.\n"
                                     "E' necessario riavviare l'applicativo."),
                      QStringLiteral("Salvataggio dati"), Icon::Information);
    QCOMPARE(f.editor.save(v, true), OptionsEditor::Outcome::ProgramEnded);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended());
    QVERIFY(!f.db.isOpen());
    QCOMPARE(installationKeys(f.inst),
             (QStringList{QStringLiteral("Multiutenza"), v.database, QStringLiteral("VELTRANORPX.db")}));
    QCOMPARE(UserSettings().serverMail(), f.editor.firstHost());
    // The program ends before the look options are stored.
    QCOMPARE(UserSettings().lookOptions(), LookOptions());
}

void TstApp::optionsOwnServerEmpty()
{
    OptionsFixture f;
    UserSettings().setServerMail(QStringLiteral("smtp.prima.example"));
    OptionsValues v = f.editor.load();
    v.email = QStringLiteral("a.b@example.it");
    v.ownServer.clear();
    f.prompter.expect(QStringLiteral("Indicare l'indirizzo del proprio server di posta."),
                      QStringLiteral("Salvataggio dati"), Icon::Critical);
    QCOMPARE(f.editor.save(v, false), OptionsEditor::Outcome::StayOpen);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(UserSettings().serverMail(), QStringLiteral("smtp.prima.example"));
}

void TstApp::optionsBadEmailWritesNothing()
{
    OptionsFixture f;
    OptionsValues v = f.editor.load(); // the prompt text, with its blank
    v.multiutenza = true;
    f.prompter.expect(
        QStringLiteral("L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o internamente."),
        QStringLiteral("Indirizzo e-mail"), Icon::Information);
    QCOMPARE(f.editor.save(v, true), OptionsEditor::Outcome::StayOpen);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.control.ended());
    QCOMPARE(f.inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Tipo")), QStringLiteral("StandAlone"));
    QCOMPARE(UserSettings().email(), QString());
}

void TstApp::optionsCancel_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("saved");
    QTest::newRow("unchanged closes") << false << -1 << int(OptionsEditor::Outcome::Close) << false;
    QTest::newRow("No closes without saving") << true << int(Answer::No) << int(OptionsEditor::Outcome::Close) << false;
    QTest::newRow("Yes saves") << true << int(Answer::Yes) << int(OptionsEditor::Outcome::Close) << true;
}

void TstApp::optionsCancel()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(int, outcome);
    QFETCH(bool, saved);
    OptionsFixture f;
    OptionsValues v = f.editor.load();
    v.email = QStringLiteral("x@y.it");
    if (answer >= 0)
        f.prompter.expect(QStringLiteral("Salvare le modifiche effettuate?"), QStringLiteral("Salvataggio"), Icon::None,
                          Buttons::YesNo, Answer(answer));
    QCOMPARE(int(f.editor.cancel(v, modified, false)), outcome);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(UserSettings().email() == QStringLiteral("x@y.it"), saved);
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsSet(kHoldVariable)) {
        QCoreApplication app(argc, argv);
        return holdDatabase(qEnvironmentVariable(kHoldVariable));
    }
    if (qEnvironmentVariableIsSet(kStartVariable)) {
        QCoreApplication app(argc, argv);
        return startAsChild(qEnvironmentVariable(kStartVariable));
    }
    QCoreApplication app(argc, argv);
    TstApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_app.moc"
