// The region's files into the database (decode tables, the registry and its log, a first
// installation's registry, the delivered files), the registry download, and the update command.

#include "RefdataFixture.h"
#include "RegioneProcess.h"
#include "Support.h"
#include "TestContext.h"

#include "app/DatabaseUpdateFlow.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/Windows1252.h"
#include "net/Exchange.h"
#include "net/Messages.h"
#include "refdata/DecodeTables.h"
#include "refdata/Messages.h"
#include "refdata/RegistryDownload.h"
#include "refdata/RegistryUpdate.h"
#include "store/ErrorAdvice.h"

#include <QDir>
#include <QSqlRecord>
#include <QTest>

#include <memory>

using namespace vx;
using namespace vx::refdata;
using namespace vx::msg::refdata;
using vx::test::compoLine;
using vx::test::InstalledContext;
using vx::test::line;
using vx::test::operLine;
using vx::test::readFile;
using vx::test::RegioneProcess;
using vx::test::rowsOf;

namespace {

QStringList rows(Database& db, const QString& table)
{
    QStringList all = rowsOf(db, QStringLiteral("SELECT * FROM ") + table);
    all.sort();
    return all;
}

// The operators and sites as the registry tests compare them.
QStringList operators(Database& db)
{
    return rowsOf(db, QStringLiteral("SELECT GrupOpe, Operatore, Denominazione, LegNome, LegAAAANasc, AttEcono, "
                                     "Corrispondenza FROM CorsiOper ORDER BY GrupOpe, Operatore"));
}
QStringList sites(Database& db)
{
    return rowsOf(db, QStringLiteral("SELECT Operatore, Componente, Denominazione, Tel, Email, Cod_Quartiere, "
                                     "ID_ATECO_2007 FROM CorsiCompo ORDER BY Operatore, Componente"));
}

QByteArray lines(const QStringList& list, const char* end = "\r\n")
{
    return windows1252::encode(list.join(QLatin1String(end)) + QLatin1String(end));
}

const QString kPath = QStringLiteral("/anagrafe/operatori");

QList<OperatorEntry> entries(const QList<std::pair<QString, int>>& keys)
{
    QList<OperatorEntry> out;
    for (const auto& [group, code] : keys)
        out.append({group, code, QString()});
    return out;
}

// The program folder's files, and its parent's, to prove that nothing was written anywhere.
QStringList filesAround(const QString& folder)
{
    QStringList out = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : {QStringLiteral("VELTRANORPX.INI"), QStringLiteral("oper.tx1")})
        if (QDir(folder + QStringLiteral("..")).exists(name))
            out.append(QStringLiteral("../") + name);
    return out;
}

// An installation whose download address is the stand-in's.
struct Fixture : InstalledContext {
    RegioneProcess server;
    std::unique_ptr<Exchange> exchange;

    Fixture() { state.credential = QStringLiteral("regione:demo2026"); }
    void serve(const QString& name, const QByteArray& content)
    {
        QDir(server.folder()).mkpath(QStringLiteral("dati"));
        QFile f(server.folder() + QStringLiteral("dati/") + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    bool start()
    {
        if (!server.start())
            return false;
        inst.writeIni({.connessione = {QStringLiteral("AGGIORNADB=") + server.address(kPath)}});
        ExchangeSettings settings;
        settings.caFile = RegioneProcess::certificates() + QStringLiteral("ca.pem");
        settings.timeLimitMs = 10000;
        exchange = std::make_unique<Exchange>(settings);
        return true;
    }
};

// The database update's screens, seen from the flow: what it showed, and an operator list that
// delivers the registry files and gives the user's answer.
struct FlowScreens : DatabaseUpdateScreens {
    InstalledContext& c;
    bool goOn = true;
    QStringList seen;

    explicit FlowScreens(InstalledContext& context) : c(context) {}
    void showWaiting(const QString& text) override { seen.append(text.isEmpty() ? "attesa tolta" : text); }
    bool chooseOperators() override
    {
        seen.append(QStringLiteral("lista"));
        c.inst.writeFile(kOperFile, vx::test::operLine("A", "12", "Nuovo").toLatin1());
        c.inst.writeFile(kCompoFile, vx::test::compoLine("A", "12", "1").toLatin1());
        return goOn;
    }
    void openProgress() override { seen.append(QStringLiteral("avanzamento")); }
    void showProgress(const QString&, const QString&, int, int) override {}
    void closeProgress() override { seen.append(QStringLiteral("fine")); }
};

} // namespace

class TstRefdata : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void flags_data();
    void flags();
    void loads_data();
    void loads();
    void emptyFile_data();
    void emptyFile();
    void tableLeftAsItWas_data();
    void tableLeftAsItWas();
    void registryRefused_data();
    void registryRefused();
    void serverLostDuringALoad();
    void registryFiles_data();
    void registryFiles();
    void registryLoad();
    void registryLogIsWhatHappened_data();
    void registryLogIsWhatHappened();
    void firstInstallation_data();
    void firstInstallation();
    void deliveredTables();
    void operatorList();
    void split();
    void writesTheFiles();
    void refusedAnswers_data();
    void refusedAnswers();
    void download();
    void answerKeptOnDisk();
    void answerSize();
    void failures_data();
    void failures();
    void updateCommand_data();
    void updateCommand();
};

void TstRefdata::flags_data()
{
    QTest::addColumn<bool>("install");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("stuckFlag");
    QTest::newRow("none: nothing, silently") << false << false << false;
    QTest::newRow("both: the message, nothing") << true << true << false;
    QTest::newRow("flag not deletable") << true << false << true;
}

void TstRefdata::flags()
{
    // Nothing is loaded; the flags stay for the next start.
    QFETCH(bool, install);
    QFETCH(bool, update);
    QFETCH(bool, stuckFlag);
    InstalledContext c;
    QVERIFY(c.open());
    if (stuckFlag) // a folder of that name: it is there, and removing it as a file fails
        QVERIFY(QDir(c.inst.folder()).mkpath(kInstallFlag + QStringLiteral("/x")));
    else if (install)
        c.inst.writeFile(kInstallFlag, "x");
    if (update)
        c.inst.writeFile(kUpdateFlag, "");
    c.inst.writeFile(QStringLiteral("Regioni.txt"), lines({"testata", line({"05", "Veneto"})}));
    if (install && update)
        c.prompter.expect(msg::refdata::notice(msg::refdata::Notice::BothFlags));
    if (stuckFlag)
        c.prompter.expect(flagNotDeletable());
    QCOMPARE(DecodeTables(c.ctx).aggiornaTabelleDecodifica(), DecodeTables::Outcome::Nothing);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(rows(c.db, QStringLiteral("Regioni")), QStringList{});
    QVERIFY(QFile::exists(c.inst.file(QStringLiteral("Regioni.txt"))));
    QCOMPARE(QFile::exists(c.inst.file(kInstallFlag)) + QFile::exists(c.inst.file(kUpdateFlag)), install + update);
}

void TstRefdata::loads_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QStringList>("before"); // statements run first
    QTest::addColumn<QVariantMap>("files");
    QTest::addColumn<QVariantMap>("after"); // table: rows
    QTest::addColumn<bool>("installMode");
    const QString cut = QString(498, QLatin1Char('a'));
    const QString hostile = QStringLiteral("x'); DROP TABLE Asse; --");
    QTest::newRow("install empties and reloads")
        << kInstallFlag << QStringList{"INSERT INTO Province VALUES ('099', 'Vecchia', 'VV', '01')"}
        << QVariantMap{{"Province.txt", lines({"qualsiasi", line({"028", "Padova", "PD", "05"}),
                                               line({"027", "Venezia", "VE", "05"}), QString(QChar(0x1a))})},
                       {"ParamPFA.tx1", lines({"", line({"PD", "Ore", "40"})})}}
        << QVariantMap{{"Province", QStringList{"027|Venezia|VE|05", "028|Padova|PD|05"}},
                       {"ParamPFA", QStringList{"PD|Ore|40"}}}
        << true;
    QTest::newRow("a header sets the mode, for the later files too")
        << kUpdateFlag
        << QStringList{"INSERT INTO Comuni (CodComune) VALUES ('X99')", "INSERT INTO Regioni VALUES ('09', 'V')"}
        << QVariantMap{{"Comuni.txt", lines({kInstallHeader, line({"G224", "Padova", "028", "35100", "G224", "1"})})},
                       {"Regioni.txt", lines({"--", line({"05", "Veneto"})})}}
        << QVariantMap{{"Comuni", QStringList{"G224|Padova|028|35100|G224|1"}}, {"Regioni", QStringList{"05|Veneto"}}}
        << true;
    QTest::newRow("update by key: null, a number written otherwise, a new row")
        << kUpdateFlag
        << QStringList{"INSERT INTO Comuni VALUES ('G224', 'Padova', '028', '35100', 'G224', '028060')",
                       "INSERT INTO AttEcono VALUES (12, 'Vecchia')"}
        << QVariantMap{{"Comuni.txt", lines({kUpdateHeader, line({"G224", "Padova nuova", "null", "35121"}),
                                             line({"A001", "Abano", "028", "35031", "A001", "1", "oltre"})})},
                       {"AttEcono.txt", lines({kUpdateHeader, line({"012", "Nuova"})})}}
        << QVariantMap{{"Comuni", QStringList{"A001|Abano|028|35031|A001|1", "G224|Padova nuova|<null>|35121||"}},
                       {"AttEcono", QStringList{"12|Nuova"}}}
        << false;
    // A trigger notes every row the load rewrites: a row already as the file says is left alone.
    QTest::newRow("update: values cut, trimmed, bound; rows as the file says and LOGO never rewritten")
        << kUpdateFlag
        << QStringList{"INSERT INTO ProvinceLoghiIndir VALUES ('028', 'V', '', '', '', '', ?)",
                       "INSERT INTO Prov_Asse VALUES ('028', 'A')",
                       "INSERT INTO Comuni VALUES ('G224', 'Padova', NULL, '35100', 'G224', '1')",
                       "INSERT INTO Comuni VALUES ('L736', 'Venezia', '027', '30100', 'L736', '2')"} +
               vx::test::noteUpdates("Prov_Asse", "Prov") + vx::test::noteUpdates("Comuni", "CodComune")
        << QVariantMap{{"Asse.txt", lines({"", line({"A", "  " + cut + "bcd"}), line({hostile, "Sant'Angelo"})})},
                       {"ProvinceLoghiIndir.txt",
                        lines({"", line({"028", "Provincia", "P", "35100", "PD", "04", "x"})})},
                       {"Prov_Asse.txt", lines({"", line({"028", "A"}), line({"028", "B"})})},
                       {"Comuni.txt", lines({"", line({"G224", "Padova", "NULL", " 35100", "G224", "1"}),
                                             line({"L736", "Venezia", "027", "30121", "L736", "2"})})}}
        << QVariantMap{{"Asse", QStringList{"A|" + cut, hostile + "|Sant'Angelo"}},
                       {"ProvinceLoghiIndir", QStringList{"028|Provincia|P|35100|PD|04|PNG"}},
                       {"Prov_Asse", QStringList{"028|A", "028|B"}},
                       {"Scritte", QStringList{"L736"}}}
        << false;
    // Files saved by older office programs end their lines with CR alone.
    QTest::newRow("lines ended by CR alone")
        << kUpdateFlag << QStringList{"INSERT INTO Regioni VALUES ('09', 'Vecchia')"}
        << QVariantMap{{"Regioni.txt", QByteArray("INSTALLAZIONE\r#ZZ1#,#Prima#\r#ZZ2#,#Seconda#\r")}}
        << QVariantMap{{"Regioni", QStringList{"ZZ1|Prima", "ZZ2|Seconda"}}} << true;
    QTest::newRow("UTF-8 with a byte-order mark")
        << kUpdateFlag << QStringList{"INSERT INTO Regioni VALUES ('09', 'Vecchia')"}
        << QVariantMap{{"Regioni.txt", QByteArray("\xef\xbb\xbfINSTALLAZIONE\r\n#02#,#Vall\xc3\xa9\x65 d'Aoste#\r\n")}}
        << QVariantMap{{"Regioni", QStringList{"02|Vallée d'Aoste"}}} << true;
}

void TstRefdata::loads()
{
    // Each load runs twice: the same files delivered again leave the tables as the first load did.
    QFETCH(QString, flag);
    QFETCH(QStringList, before);
    QFETCH(QVariantMap, files);
    QFETCH(QVariantMap, after);
    QFETCH(bool, installMode);
    InstalledContext c;
    QVERIFY(c.open());
    for (const QString& sql : before) // a `?` stands for the bytes of a logo
        c.inst.sql(sql, sql.contains('?') ? QVariantList{QByteArray("PNG")} : QVariantList());
    QVERIFY(QDir(c.inst.folder()).mkpath(QStringLiteral("Car")));
    c.inst.writeFile(QStringLiteral("Car/ParamPFA.txt"), "una copia precedente");
    for (int pass = 0; pass < 2; ++pass) {
        c.inst.writeFile(flag, "");
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            c.inst.writeFile(it.key(), it.value().toByteArray());
        DecodeTables tables(c.ctx);
        QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
        VX_VERIFY_PROMPTS(c.prompter);
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            QCOMPARE(rows(c.db, it.key()), it.value().toStringList());
        QCOMPARE(c.state.decodeInstallMode, installMode);
        QVERIFY(!QFile::exists(c.inst.file(flag))); // consumed
        // The program folder holds no table file that was loaded; `Car` holds them as they came.
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            QVERIFY(!QFile::exists(c.inst.file(it.key())));
            const QString kept = QStringLiteral("Car/") + QFileInfo(it.key()).completeBaseName() + ".txt";
            QCOMPARE(vx::test::readFile(c.inst.file(kept)), it.value().toByteArray());
        }
    }
}

void TstRefdata::emptyFile_data()
{
    QTest::addColumn<bool>("goOn");
    QTest::newRow("Yes: the other tables") << true;
    QTest::newRow("No: the program ends") << false;
}

void TstRefdata::emptyFile()
{
    QFETCH(bool, goOn);
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.writeFile(kInstallFlag, "");
    c.inst.writeFile(QStringLiteral("Asse.txt"), lines({"", line({"A", "Asse A"})}));
    c.inst.writeFile(QStringLiteral("Comuni.txt"), QByteArray());
    c.inst.writeFile(QStringLiteral("Regioni.txt"), lines({"", line({"05", "Veneto"})}));
    c.prompter.expect(emptyTableFile(c.inst.file(QStringLiteral("Comuni.txt"))), goOn ? Answer::Yes : Answer::No);
    DecodeTables tables(c.ctx);
    QCOMPARE(tables.aggiornaTabelleDecodifica(),
             goOn ? DecodeTables::Outcome::Loaded : DecodeTables::Outcome::EndProgram);
    VX_VERIFY_PROMPTS(c.prompter);
    // The table before stays loaded; the one after is loaded only when the user goes on.
    QCOMPARE(rows(c.db, QStringLiteral("Asse")), QStringList{"A|Asse A"});
    QCOMPARE(rows(c.db, QStringLiteral("Regioni")), goOn ? QStringList{"05|Veneto"} : QStringList{});
    QCOMPARE(QFile::exists(c.inst.file(QStringLiteral("Car/Comuni.txt"))), goOn);
}

void TstRefdata::tableLeftAsItWas_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("flagBlocked"); // the flag file cannot be put back
    QTest::addColumn<bool>("fault");       // the first statement fails
    QTest::addColumn<QString>("reason");
    const QByteArray good = lines({"", line({"1", "Primo", "40"}), line({"2", "Secondo", "20"})});
    // A stray line end inside a field breaks one row in two: neither half is a row.
    QTest::newRow("a row broken in two") << QByteArray("\r\n#1#,#Primo#,#40#\r\n#2#,#Sec\rondo#,#20#\r\n") << false
                                         << false << notARow(3);
    QTest::newRow("a control character in a name")
        << QByteArray("\r\n#1#,#Pri\x01mo#,#40#\r\n") << false << false << controlCharacter(2, 1);
    QTest::newRow("a number its column cannot hold")
        << lines({"", line({"1", "Primo", "40"}), line({"2", "Secondo", "4O"})}) << false << false
        << badNumber(3, 3, "4O", true);
    QTest::newRow("a write fails, the flag cannot go back") << good << true << true << errorLines(DbError::sqlite(10));
}

void TstRefdata::tableLeftAsItWas()
{
    // The table, its file and the flag stay as they were, and the user is told what happens next.
    QFETCH(QByteArray, file);
    QFETCH(bool, flagBlocked);
    QFETCH(bool, fault);
    QFETCH(QString, reason);
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO Percorsi VALUES (99, 'Vecchio', 10)"));
    c.inst.writeFile(kUpdateFlag, "");
    c.inst.writeFile(QStringLiteral("Percorsi.txt"), file);
    const QString path = c.inst.file(QStringLiteral("Percorsi.txt"));
    c.prompter.expect(tableNotLoaded(QStringLiteral("Percorsi"), path, reason, !flagBlocked, kUpdateFlag));
    DecodeTables tables(c.ctx);
    tables.starting = [&](bool) {
        if (flagBlocked)
            QDir(c.inst.folder()).mkpath(kUpdateFlag + QStringLiteral("/x"));
    };
    c.db.failStatement(fault ? 1 : 0);
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(rows(c.db, QStringLiteral("Percorsi")), QStringList{"99|Vecchio|10"});
    QCOMPARE(vx::test::readFile(path), file);
    QCOMPARE(QFileInfo(c.inst.file(kUpdateFlag)).isFile(), !flagBlocked);
}

void TstRefdata::registryRefused_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QList<Message>>("told");
    QTest::addColumn<bool>("archived"); // the files go to BAD
    const QStringList both{kOperFile, kCompoFile};
    QTest::newRow("client") << "CLIENT" << both << QList<Message>{clientOnly()} << false;
    QTest::newRow("neither") << "ALTRO" << both << QList<Message>{unknownInstallation()} << false;
    QTest::newRow("no compo") << "SERVER" << QStringList{kOperFile}
                              << QList<Message>{incomplete(msg::refdata::text(msg::refdata::Text::Title))} << true;
    QTest::newRow("sediocc without sediutil")
        << "SERVER" << QStringList{kOperFile, kCompoFile, kSediOccFile}
        << QList<Message>{incomplete(msg::refdata::text(msg::refdata::Text::InstallTitle))} << true;
    QTest::newRow("empty oper.tx1") << "SERVER" << QStringList{kCompoFile, "oper.tx1 vuoto"}
                                    << QList<Message>{emptyOperFile(),
                                                      msg::refdata::notice(msg::refdata::Notice::RestoreDone)}
                                    << true;
}

void TstRefdata::registryRefused()
{
    // Nothing is loaded, the user is told, and no log is left.
    QFETCH(QString, version);
    QFETCH(QStringList, files);
    QFETCH(QList<Message>, told);
    QFETCH(bool, archived);
    InstalledContext c({.versione = version});
    QVERIFY(c.open());
    for (const QString& f : files)
        c.inst.writeFile(f.section(' ', 0, 0), f.endsWith("vuoto") ? "\r\n" : line({"A", "12", "1", "SL"}).toLatin1());
    for (const Message& m : told)
        c.prompter.expect(m);
    QCOMPARE(RegistryUpdate(c.ctx).aggiornaBaseDati(),
             version == "SERVER" ? RegistryUpdate::Outcome::Failed : RegistryUpdate::Outcome::Refused);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(operators(c.db), QStringList{});
    QCOMPARE(QFile::exists(c.inst.file(kOperFile)), !archived && files.contains(kOperFile));
    QCOMPARE(QDir(c.inst.file(kBadFolder)).exists(), archived);
    QVERIFY(!QFile::exists(c.inst.file(kLogFile)));
}

// The server lost in the middle of a load undid it: the user is told that nothing changed, and
// the files stay for the next try, which loads them.
void TstRefdata::serverLostDuringALoad()
{
    if (!vx::test::TestInstallation::onServer())
        QSKIP("a server to lose: only on PostgreSQL");
    InstalledContext c({.versione = "SERVER"});
    QVERIFY(c.open());
    c.inst.writeFile(kOperFile, lines({operLine("A", "12", "Nuovo")}));
    c.inst.writeFile(kCompoFile, lines({compoLine("A", "12", "1")}));
    c.db.failStatement(3, {QString::number(Database::kUnreachable), QStringLiteral("server perso")});
    c.prompter.expect(serverLost());
    QCOMPARE(RegistryUpdate(c.ctx).aggiornaBaseDati(), RegistryUpdate::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(operators(c.db), QStringList{});
    QVERIFY(QFile::exists(c.inst.file(kOperFile)) && QFile::exists(c.inst.file(kCompoFile)));
    QVERIFY(!QDir(c.inst.file(kBadFolder)).exists());
    QCOMPARE(RegistryUpdate(c.ctx).aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    QCOMPARE(operators(c.db).size(), 1);
}

void TstRefdata::registryFiles_data()
{
    // Operator A-12 "Vecchio" with its legal representative Bianchi and its legal seat 1 are stored,
    // and B-5, not in the files, without a correspondence site though it has a legal seat: it keeps none.
    QTest::addColumn<QByteArray>("oper");
    QTest::addColumn<QByteArray>("compo");
    QTest::addColumn<QString>("refused"); // the file, when it is refused
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("operators");
    const QStringList stored{"A|12|Vecchio|Bianchi|<null>|<null>|1", "B|5|<null>|<null>|<null>|<null>|<null>"};
    const QByteArray seat = lines({compoLine("A", "12", "1")});
    auto row = [&](const char* tag, const QByteArray& oper, const QByteArray& compo, const char* refused,
                   const QString& reason, const QStringList& loaded) {
        QTest::newRow(tag) << oper << compo << QString::fromLatin1(refused) << reason << loaded;
    };
    row("lines ended by CR alone",
        lines({operLine("A", "12", "Nuovo"), operLine("A", "7", "Altro"), operLine("B", "3", "Terzo")}, "\r"),
        lines({compoLine("A", "12", "1"), compoLine("B", "3", "4")}, "\r"), "", "",
        {"A|7|Altro|||85|<null>", "A|12|Nuovo|Bianchi|<null>|85|1", "B|3|Terzo|||85|4", stored[1]});
    row("UTF-8 with a byte-order mark, a code written otherwise",
        "\xef\xbb\xbf" + (operLine("A", "012", "Citt\u00e0 \u20ac \u201c\u0152\u201d") + "\r\n").toUtf8(), seat, "", "",
        {"A|12|Città € “Œ”|Bianchi|<null>|85|1", stored[1]});
    row("Windows-1252, a code written as a decimal", lines({operLine("A", " 12.0", "Citt\u00e0 \u20ac", "Rossi")}),
        seat, "", "", {"A|12|Città €|Rossi|1970|85|1", stored[1]});
    row("a code of letters", lines({operLine("A", "7", "Altro"), operLine("A", "abc", "X")}), seat, "oper.tx1",
        badOperatorCode(2, "abc"), stored);
    row("a code with letters after it", lines({operLine("A", "12x", "X")}), seat, "oper.tx1", badOperatorCode(1, "12x"),
        stored);
    row("no code", lines({operLine("A", "", "X")}), seat, "oper.tx1", badOperatorCode(1, ""), stored);
    row("a code of 20 digits", lines({operLine("A", "99999999999999999999", "X")}), seat, "oper.tx1",
        badOperatorCode(1, "99999999999999999999"), stored);
    row("a group that is no letter", lines({operLine("1", "7", "X")}), seat, "oper.tx1", badGroup(1, "1"), stored);
    row("a line without #", lines({operLine("A", "7", "Altro"), "A 8 Ente"}), seat, "oper.tx1", notARow(2), stored);
    // A NUL or an escape inside a name would be stored on a file and break the server's copy.
    row("a NUL in a name", lines({operLine("A", "7", QStringLiteral("Al") + QChar(0) + QStringLiteral("tro"))}), seat,
        "oper.tx1", controlCharacter(1, 0), stored);
    row("an escape in an address", lines({operLine("A", "12", "Nuovo")}),
        lines({compoLine("A", "12", "1").replace("#SL#", "#S\x1bL#")}), "compo.tx1", controlCharacter(1, 27), stored);
    row("a site of letters", lines({operLine("A", "12", "Nuovo")}), lines({compoLine("A", "12", "uno", "SL", "S")}),
        "compo.tx1", badSiteNumber(1, "uno"), stored);
    // Numbers that are no key are stored as the numbers they are, or refuse their file.
    row("an economic activity of letters", lines({operLine("A", "12", "Nuovo").replace("#85#", "#8x#")}), seat,
        "oper.tx1", badNumber(1, 13, "8x", true), stored);
    row("an ATECO code that is no whole number", lines({operLine("A", "12", "Nuovo")}),
        lines({compoLine("A", "12", "1").replace("855900.0", "85.59")}), "compo.tx1", badNumber(1, 16, "85.59", true),
        stored);
}

void TstRefdata::registryFiles()
{
    // A file is loaded whole whatever its line ends and encoding; one whose lines or keys cannot
    // all be read is refused before anything is written, and goes to BAD.
    QFETCH(QByteArray, oper);
    QFETCH(QByteArray, compo);
    QFETCH(QString, refused);
    QFETCH(QString, reason);
    QFETCH(QStringList, operators);
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione, LegNome, Corrispondenza) "
                              "VALUES ('A', 12, 'Vecchio', 'Bianchi', 1)"));
    c.inst.sql(QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore) VALUES ('B', 5)"));
    c.inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo) VALUES "
                              "('A', 12, 1, 'SL'), ('B', 5, 4, 'SL')"));
    c.inst.writeFile(kOperFile, oper);
    c.inst.writeFile(kCompoFile, compo);
    if (!refused.isEmpty())
        c.prompter.expect(registryFileRefused(refused, reason, msg::refdata::text(msg::refdata::Text::Title)));
    QCOMPARE(RegistryUpdate(c.ctx).aggiornaBaseDati(),
             refused.isEmpty() ? RegistryUpdate::Outcome::Done : RegistryUpdate::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(::operators(c.db), operators);
    QCOMPARE(vx::test::readFile(c.inst.file(refused.isEmpty() ? "CAR/oper.car" : "BAD/oper.car")), oper);
    QVERIFY(!QFile::exists(c.inst.databasePath() + kBackupSuffix));
}

void TstRefdata::registryLoad()
{
    InstalledContext c;
    QVERIFY(c.open());
    // Operator A-12 is stored with its legal representative; A-7 is new.
    c.inst.sql(QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione, LegNome, AttEcono) "
                              "VALUES ('A', 12, 'Vecchio', 'Bianchi', 10)"));
    c.inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Tel, Email) "
                              "VALUES ('A', 12, 1, 'SL', '555', 'a@b.it')"));
    c.inst.addRequest(1, QStringLiteral("A"), 12, QStringLiteral("028"), 1);
    c.inst.addRequest(2, QStringLiteral("A"), 12, QStringLiteral("028"), 2, true);
    c.inst.sql(QStringLiteral("UPDATE Domande SET Componente=1, DenominazioneOp='Vecchio', DenominazioneSL='Sede'"));
    c.inst.writeFile(kOperFile, lines({operLine("A", "12", "Nuovo"), operLine("A", "7", "Altro", "Verdi")}));
    QStringList compo = {compoLine("A", "12", "1", "SL", "Sede nuova"), compoLine("A", "7", "3", "SL", "Sede A7")};
    compo[1].replace(QStringLiteral("#049#,##"), QStringLiteral("#049#,#+39/049/ 123#")); // the last "/" counts
    c.inst.writeFile(kCompoFile, lines(compo));
    const QString log = c.inst.file(kLogFile);
    c.prompter.expect(logCreated(log), Answer::Yes);
    QCOMPARE(RegistryUpdate(c.ctx).aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(c.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(log)});
    // The empty legal representative keeps the stored one; the new operator gets the file's.
    QCOMPARE(operators(c.db), (QStringList{"A|7|Altro|Verdi|1970|85|3", "A|12|Nuovo|Bianchi|<null>|85|1"}));
    QCOMPARE(rows(c.db, QStringLiteral("PromotoriSostenitori_Oper")),
             (QStringList{"A|12|Nuovo|01|01234567890", "A|7|Altro|01|01234567890"}));
    QCOMPARE(sites(c.db), (QStringList{"7|3|Sede A7|123||<null>|855900", "12|1|Sede nuova|555|a@b.it|<null>|855900"}));
    // The open Request follows the registry; the printed one is left alone, with its log lines.
    QCOMPARE(rowsOf(c.db, QStringLiteral("SELECT NumDoma, DenominazioneOp, DenominazioneSL FROM Domande ORDER BY 1")),
             (QStringList{"1|Nuovo|Sede nuova", "2|Vecchio|Sede"}));
    QCOMPARE(vx::test::readFile(log),
             QByteArray("- Proposta N. 2 dell'Operatore A-12 non aggiornata perch\xc3\xa8 bloccata (stampata in "
                        "definitivo)\r\n- Dati relativi alla sede legale della Proposta N. 2 dell'Operatore A-12 non "
                        "aggiornati perch\xc3\xa8 bloccati (proposta sostituita o stampata in definitivo)\r\n"));
    QCOMPARE(QDir(c.inst.file(kDoneFolder)).entryList(QDir::Files), (QStringList{"compo.car", "oper.car"}));
    QVERIFY(!QFile::exists(c.inst.file(kOperFile)) && !QFile::exists(c.inst.databasePath() + kBackupSuffix));
}

void TstRefdata::registryLogIsWhatHappened_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("the log cannot be written: its notes are shown") << false;
    QTest::newRow("nothing can open the log: its path is told") << true;
}

void TstRefdata::registryLogIsWhatHappened()
{
    QFETCH(bool, writable);
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.addRequest(2, QStringLiteral("A"), 12, QStringLiteral("028"), 1, true);
    c.inst.writeFile(kOperFile, lines({operLine("A", "12", "Nuovo")}));
    c.inst.writeFile(kCompoFile, lines({compoLine("A", "12", "1")}));
    const QString log = c.inst.file(kLogFile);
    if (!writable) {
        QVERIFY(QDir().mkpath(log + QStringLiteral("/x")));
        c.prompter.expect(logNotWritten(log, {printedRequestLeft("2", "A", "12")}));
    } else {
        c.prompter.expect(logCreated(log), Answer::Yes);
        c.prompter.expect(msg::core::cannotOpen(QUrl::fromLocalFile(log)));
    }
    vx::test::ClosedDesktop closed;
    Context ctx{c.state, c.db, c.prompter, c.control, closed, c.clock};
    QCOMPARE(RegistryUpdate(ctx).aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    VX_VERIFY_PROMPTS(c.prompter);
}

void TstRefdata::firstInstallation_data()
{
    QTest::addColumn<QString>("compo");
    QTest::addColumn<Message>("message");
    QTest::newRow("loaded") << compoLine("A", "12", "1") << Message();
    QTest::newRow("no legal seat") << compoLine("A", "12", "2", "SO", "Filiale") << noLegalSeat("A", "12");
    QTest::newRow("a site of letters") << compoLine("A", "12", "x")
                                       << registryFileRefused(kCompoFile, badSiteNumber(1, "x"),
                                                              msg::refdata::text(msg::refdata::Text::InstallTitle));
}

void TstRefdata::firstInstallation()
{
    QFETCH(QString, compo);
    QFETCH(Message, message);
    InstalledContext c;
    QVERIFY(c.open());
    c.state.legalSeatType = QStringLiteral("SL");
    c.inst.writeFile(kOperFile, lines({operLine("A", "12", "Ente")}));
    c.inst.writeFile(kCompoFile, lines({compo}));
    if (!message.text.isEmpty())
        c.prompter.expect(message);
    QCOMPARE(RegistryUpdate(c.ctx).installRegistry(), message.text.isEmpty());
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(operators(c.db), message.text.isEmpty() ? QStringList{"A|12|Ente|||85|1"} : QStringList{});
}

void TstRefdata::deliveredTables()
{
    // The files a new installation is delivered with, loaded as its first start loads them: every
    // data line becomes a row, accented letters as the letters they stand for; and every delivered
    // file is one the load knows.
    InstalledContext c;
    QVERIFY(c.open());
    QStringList known{kInstallFlag};
    for (const DecodeTable& t : decodeTables()) {
        known.append(t.file);
        QSqlQuery columns = c.db.query();
        QVERIFY2(c.db.exec(columns, "SELECT * FROM " + t.table + " WHERE 1 = 0") &&
                     columns.record().count() >= t.columns,
                 qPrintable(t.table));
    }
    const QDir delivered(QStringLiteral(VX_TABLES_DIR));
    for (const QString& name : delivered.entryList(QDir::Files)) {
        QVERIFY2(known.contains(name), qPrintable(name));
        QVERIFY(QFile::copy(delivered.filePath(name), c.inst.file(name)));
    }
    QMap<QString, qsizetype> dataLines;
    for (const char* table : {"Comuni", "Province", "Regioni", "TipoCompo", "TipoOper"})
        dataLines[table] = vx::test::readFile(c.inst.file(table + QStringLiteral(".txt"))).count('\n') - 1;
    QCOMPARE(DecodeTables(c.ctx).aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    VX_VERIFY_PROMPTS(c.prompter);
    for (auto it = dataLines.cbegin(); it != dataLines.cend(); ++it)
        QCOMPARE(rows(c.db, it.key()).size(), it.value());
    for (const char* row : {"001001|AGLIÈ|001|10011|A074|001001", "040|FORLÌ-CESENA|FC|08",
                            "02|VALLE D'AOSTA/VALLÉE D'AOSTE", "SL|SEDE LEGALE", "A|01|AGENZIA FORMATIVA"})
        QVERIFY2((rows(c.db, "Comuni") + rows(c.db, "Province") + rows(c.db, "Regioni") + rows(c.db, "TipoCompo") +
                  rows(c.db, "TipoOper"))
                     .contains(row),
                 qPrintable(row));
}

void TstRefdata::operatorList()
{
    // Prefilled with the operators of the database by group, then code as a number; each shown as
    // its key and name, which give the key back; at most 150, each once; sent as a form.
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("Ente B7 - Padova"));
    c.inst.addOperator(QStringLiteral("A"), 12, QString());
    OperatorList list;
    QVERIFY(list.fill(c.db, c.prompter));
    QCOMPARE(list.add({QStringLiteral("A"), 3, QStringLiteral("Ente A3")}), OperatorList::AddResult::Added);
    QCOMPARE(list.add({QStringLiteral("B"), 7, QString()}), OperatorList::AddResult::AlreadyThere);
    QCOMPARE(list.add({QStringLiteral(" "), 9, QString()}), OperatorList::AddResult::NoGroup);
    QStringList texts;
    for (const OperatorEntry& e : list.entries()) {
        texts.append(e.text());
        QString group;
        qint32 code = -1;
        QVERIFY(OperatorEntry::parse(e.text(), group, code) && e.sameKey({group, code, QString()}));
    }
    QCOMPARE(texts, (QStringList{"A-12      - ", "B-7      - Ente B7 - Padova", "A-3      - Ente A3"}));
    for (const char* bad : {"", "A12", "-12", "AB-12", "1-12", "A-", "A-12x", "A-1.5", "A--3", "A-2147483648"}) {
        QString group;
        qint32 code = -1;
        QVERIFY2(!OperatorEntry::parse(QLatin1String(bad), group, code) && code == -1, bad);
    }
    list.remove(0);
    list.remove(1000); // no such row: nothing
    QCOMPARE(downloadBody(list.entries() + entries({{"&", 1}})), QByteArray("g=B&c=7&g=A&c=3&g=%26&c=1"));
    for (int i = 1; list.size() < OperatorList::kLimit; ++i)
        QCOMPARE(list.add({QStringLiteral("Z"), i, QString()}), OperatorList::AddResult::Added);
    QCOMPARE(list.add({QStringLiteral("B"), 7, QString()}), OperatorList::AddResult::Full);
}

void TstRefdata::split()
{
    const QList<AnswerFile> files =
        splitAnswer(QByteArray("#orfana#\r\noper.tx1\r\nINSTALLAZIONE\r\n#A#,#12#\r\n  #A#,#7#  \r\nEOF\r\n"
                               "compo.tx1\r\n#A#,#12#,#1#\r\n\r\n#dopo la fine#\r\nsediutil.tx1\nEOF\n"));
    QCOMPARE(files.size(), 3);
    // The header keyword is one of the file's lines; data lines are kept as they are, blanks included;
    // an empty line ends a file as EOF does; lines outside a file are dropped.
    QCOMPARE(files.at(0).name + files.at(0).lines.join('|'),
             QStringLiteral("oper.tx1INSTALLAZIONE|#A#,#12#|  #A#,#7#  "));
    QCOMPARE(files.at(1).name + files.at(1).lines.join('|'), QStringLiteral("compo.tx1#A#,#12#,#1#"));
    QCOMPARE(files.at(2).name + files.at(2).lines.join('|'), QStringLiteral("sediutil.tx1"));
}

void TstRefdata::writesTheFiles()
{
    InstalledContext c;
    c.inst.writeFile(kOperFile, "vecchio\r\n");
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    // "è" as Windows-1252 (0xE8) and a byte the code page leaves undefined (0x81) come back unchanged.
    const QByteArray answer = "oper.tx1\r\nINSTALLAZIONE\r\n#A#,#12#,#Citt\xe0\x81#\r\nEOF\r\n"
                              "COMPO.TX1\nAGGIORNAMENTO\n#A#,#12#,#1#\nEOF";
    QCOMPARE(download.writeAnswer(answer), RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(download.written(), (QStringList{"oper.tx1", "compo.tx1"}));
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("INSTALLAZIONE\r\n#A#,#12#,#Citt\xe0\x81#\r\n"));
    // Written under the name the update looks for, with CR LF line ends; the answer is not kept.
    QCOMPARE(readFile(c.inst.file(kCompoFile)), QByteArray("AGGIORNAMENTO\r\n#A#,#12#,#1#\r\n"));
    QCOMPARE(QDir(c.inst.folder()).entryList({"*.tx1", "*.TX1"}, QDir::Files), (QStringList{"compo.tx1", "oper.tx1"}));
    QCOMPARE(c.control.busyDepth(), 0);
    // A name given twice: its last file is the one written; a blank NBSP-padded name is still a name.
    QCOMPARE(download.writeAnswer("oper.tx1\r\n#1#\r\nEOF\r\n\xa0Oper.Tx1 \r\n#2#\r\nEOF\r\n"),
             RegistryDownload::Outcome::Downloaded);
    QCOMPARE(download.written(), QStringList{"oper.tx1"});
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("#2#\r\n"));
}

void TstRefdata::refusedAnswers_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<Message>("message");
    const QByteArray good = "oper.tx1\r\n#A#,#12#\r\nEOF\r\n";
    // A good file first: the refusal of the later name must keep it from being written too.
    for (const char* name :
         {"../VELTRANORPX.INI", "/etc/x", "sub/oper.tx1", "..\\oper.tx1", "C:oper.tx1", "x.txt", "$tmpDenOp.tx1"})
        QTest::newRow(name) << good + name + "\r\n#x#\r\nEOF\r\n" << forbiddenName(QLatin1String(name));
    QTest::newRow("no file") << QByteArray("\r\n#A#,#12#\r\nEOF\r\n") << noFiles();
}

void TstRefdata::refusedAnswers()
{
    QFETCH(QByteArray, answer);
    QFETCH(Message, message);
    InstalledContext c;
    QDir(c.inst.folder()).mkdir(QStringLiteral("sub"));
    c.inst.writeFile(kOperFile, "vecchio\r\n");
    const QStringList before = filesAround(c.inst.folder());
    Exchange exchange{ExchangeSettings()};
    RegistryDownload download(c.ctx, exchange);
    c.prompter.expect(message);
    QCOMPARE(download.writeAnswer(answer), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(filesAround(c.inst.folder()), before);
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("vecchio\r\n"));
    QVERIFY(!QFile::exists(QStringLiteral("/etc/x")) && QDir(c.inst.file(QStringLiteral("sub"))).isEmpty());
    // A folder where compo.tx1 should go: that file cannot be written, so oper.tx1 must not stay alone.
    QVERIFY(QDir(c.inst.folder()).mkdir(kCompoFile));
    c.prompter.expect(writeFailure(c.inst.file(kCompoFile), QStringLiteral("Filename refers to a directory")));
    QCOMPARE(download.writeAnswer("oper.tx1\r\n#A#,#12#\r\nEOF\r\ncompo.tx1\r\n#A#,#12#,#1#\r\nEOF\r\n"),
             RegistryDownload::Outcome::Failed);
    QCOMPARE(readFile(c.inst.file(kOperFile)), QByteArray("vecchio\r\n"));
    QVERIFY(download.written().isEmpty());
}

void TstRefdata::download()
{
    Fixture f;
    f.serve(kOperFile,
            lines({operLine("A", "12", "Ente A12"), operLine("B", "7", "Ente B7"), operLine("C", "305", "C")}));
    f.serve(kCompoFile, lines({compoLine("A", "12", "1"), compoLine("C", "305", "1"), compoLine("B", "7", "2")}));
    QVERIFY(f.start());
    RegistryDownload download(f.ctx, *f.exchange);
    QList<int> busyDuringCall;
    f.prompter.expect(emptyList());
    QCOMPARE(download.run({}), RegistryDownload::Outcome::EmptyList);
    QCOMPARE(download.run(entries({{"A", 12}, {"B", 7}}),
                          [&](const QString&) { busyDuringCall.append(f.control.busyDepth()); }),
             RegistryDownload::Outcome::Downloaded);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines({operLine("A", "12", "Ente A12"), operLine("B", "7", "Ente B7")}));
    QCOMPARE(readFile(f.inst.file(kCompoFile)), lines({compoLine("A", "12", "1"), compoLine("B", "7", "2")}));
    QVERIFY(!QFile::exists(f.inst.file(kAnswerFile)));
    // The confirmation names the operators the download brought, and any asked for that it did not.
    const QList<OperatorEntry> asked = entries({{"A", 12}, {"B", 7}, {"Z", 99}});
    QCOMPARE(download.deliveredOperators(asked),
             (QStringList{OperatorEntry{"A", 12, "Ente A12"}.text(), OperatorEntry{"B", 7, "Ente B7"}.text(),
                          msg::refdata::operatorNotDelivered(QStringLiteral("Z-99"))}));
    QVERIFY(!busyDuringCall.isEmpty());
    QCOMPARE(busyDuringCall, QList<int>(busyDuringCall.size(), 1));
    QCOMPARE(f.control.busyDepth(), 0);
}

void TstRefdata::answerSize()
{
    // A region's registry outgrows the cap of the form services' answers: the download has its own.
    Fixture f;
    const QStringList many(40000, operLine("A", "12", QString(100, QLatin1Char('x'))));
    QVERIFY(lines(many).size() > Exchange::kDefaultAnswerLimit);
    f.serve(kOperFile, lines(many));
    QVERIFY(f.start());
    QCOMPARE(RegistryDownload(f.ctx, *f.exchange).run(entries({{"A", 12}})), RegistryDownload::Outcome::Downloaded);
    QCOMPARE(readFile(f.inst.file(kOperFile)), lines(many));
}

void TstRefdata::answerKeptOnDisk()
{
    // The answer goes to disk as it arrives: where it cannot, or past its cap, nothing is written.
    Fixture f;
    f.serve(kOperFile, lines(QStringList(50, operLine("A", "12", "Ente A12"))));
    QVERIFY(f.start());
    const QStringList before = filesAround(f.inst.folder());
    RegistryDownload download(f.ctx, *f.exchange);
    download.setAnswerLimit(1000);
    f.prompter.expect(transferErrorMessage(
        TransferResult{false, Exchange::kAnswerTooLarge, msg::net::answerTooLarge(1000), 0, {}, {}},
        QStringLiteral("127.0.0.1")));
    QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(filesAround(f.inst.folder()), before);

    download.setAnswerLimit(kRegistryAnswerLimit);
    // No address in the INI (or none of https): the user is told what is missing and where; no call.
    for (const char* address : {"", "ftp://127.0.0.1/anagrafe", "anagrafe/operatori"}) {
        f.inst.writeIni({.connessione = {QStringLiteral("AGGIORNADB=") + QLatin1String(address)}});
        f.prompter.expect(transferErrorMessage(
            TransferResult{false, Exchange::kNoAddress, msg::net::text(msg::net::Text::NoAddress), 0, {}, {}},
            QUrl(QLatin1String(address)).host().toUpper()));
        QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
        VX_VERIFY_PROMPTS(f.prompter);
        QCOMPARE(filesAround(f.inst.folder()), before);
    }
    f.inst.writeIni({.connessione = {QStringLiteral("AGGIORNADB=") + f.server.address(kPath)}});
    QVERIFY(QDir(f.inst.folder()).mkdir(kAnswerFile));
    QFile folderInTheWay(f.inst.file(kAnswerFile)); // the system's words for it
    QVERIFY(!folderInTheWay.open(QIODevice::WriteOnly));
    f.prompter.expect(writeFailure(f.inst.file(kAnswerFile), folderInTheWay.errorString()));
    QCOMPARE(download.run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!QFile::exists(f.inst.file(kOperFile)));
    QCOMPARE(f.control.busyDepth(), 0);
}

void TstRefdata::failures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("told"); // a part of the message, which is the exchange's own
    QTest::newRow("ERRORE answer") << "errore"
                                   << "ERRORE: servizio temporaneamente";
    QTest::newRow("HTML page, shown") << "html"
                                      << "(servizio: anagrafe/operatori)";
    QTest::newRow("connection dropped") << "caduta"
                                        << "12030";
}

void TstRefdata::failures()
{
    // Told, and nothing written but the server's error page.
    QFETCH(QString, failure);
    QFETCH(QString, told);
    Fixture f;
    f.server.sections[QStringLiteral("guasti")] = {QStringLiteral("anagrafe=") + failure};
    f.serve(kOperFile, lines({operLine("A", "12", "Ente A12")}));
    QVERIFY(f.start());
    const QStringList before = filesAround(f.inst.folder());
    QCOMPARE(RegistryDownload(f.ctx, *f.exchange).run(entries({{"A", 12}})), RegistryDownload::Outcome::Failed);
    const QString shown = f.prompter.problems();
    QVERIFY2(shown.count(QStringLiteral("[")) == 1 && shown.contains(told), qPrintable(shown));
    QStringList after = filesAround(f.inst.folder());
    if (failure == QLatin1String("html"))
        QVERIFY(!f.desktop.opened.isEmpty() && after.removeOne(QStringLiteral("ErrServer.html")));
    QCOMPARE(after, before);
    QCOMPARE(f.control.busyDepth(), 0);
}

void TstRefdata::updateCommand_data()
{
    QTest::addColumn<int>("answered"); // how many of the two questions are answered to go on
    QTest::addColumn<bool>("heldElsewhere");
    QTest::addColumn<bool>("goOn"); // the operator list's answer
    QTest::addColumn<QStringList>("seen");
    const QString wait = msg::refdata::text(msg::refdata::Text::UpdateWait);
    QTest::newRow("no internet") << 0 << false << true << QStringList();
    QTest::newRow("clients may be connected") << 1 << false << true << QStringList();
    QTest::newRow("another workstation holds the database") << 2 << true << true << QStringList();
    QTest::newRow("list cancelled") << 2 << false << false << QStringList{wait, "lista", "attesa tolta"};
    QTest::newRow("updated") << 2 << false << true << QStringList{wait, "lista", "avanzamento", "fine", "attesa tolta"};
}

void TstRefdata::updateCommand()
{
    QFETCH(int, answered);
    QFETCH(bool, heldElsewhere);
    QFETCH(bool, goOn);
    QFETCH(QStringList, seen);
    InstalledContext c({.tipo = QStringLiteral("Multiutenza")});
    Settings::read(c.inst.ini()).applyTo(c.state);
    c.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Vecchio"));
    QVERIFY(c.open());
    Database other; // another workstation
    if (heldElsewhere)
        QVERIFY(c.inst.open(other));
    c.prompter.expect(internetQuestion(), answered > 0 ? Answer::Ok : Answer::Cancel);
    if (answered > 0)
        c.prompter.expect(msg::refdata::notice(msg::refdata::Notice::ClientsQuestion),
                          answered > 1 ? Answer::Yes : Answer::No);
    if (heldElsewhere)
        c.prompter.expect(exclusiveOpenFailed(DbError::sqlite(5)));
    const bool updated = seen.contains(QStringLiteral("fine"));
    if (updated)
        c.prompter.expect(msg::refdata::notice(msg::refdata::Notice::UpdateDone));
    FlowScreens screens(c);
    screens.goOn = goOn;
    QVERIFY(DatabaseUpdateFlow(c.ctx, screens).run());
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(screens.seen, seen);
    // Back as the installation opens it, with the registry loaded only when the user went on.
    QVERIFY(c.db.isOpen() && c.db.mode() == Database::Mode::Multiutenza);
    QCOMPARE(vx::test::rowsOf(c.db, "SELECT Denominazione FROM CorsiOper"), QStringList{updated ? "Nuovo" : "Vecchio"});
}

QTEST_GUILESS_MAIN(TstRefdata)
#include "tst_refdata.moc"
