// The decode tables from the delivered files: the flag files, the header that sets the mode, the
// field syntax, install and update, the empty-file question, the archive in `Car`, and a failure
// in the middle of a table that leaves the table as it was; and the files a new installation is
// delivered with, each of which loads whole.

#include "TestContext.h"

#include "app/Startup.h"
#include "cli/Command.h"
#include "core/Windows1252.h"
#include "refdata/DecodeTables.h"
#include "refdata/RegistryUpdate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace vx;
using namespace vx::refdata;
using vx::test::InstalledContext;

namespace {

const QString kAmbiguous = QStringLiteral(
    "Rilevata presenza di entrambi i files INSTALLA.TAB e AGGIORNA.TAB. \r\n"
    "Ambiguità nell'operazione da eseguire sulle tabelle di decodifica. \r\n"
    "Impossibile continuare. Si procederà con il caricamento della procedura senza alcuna modifica delle tabelle di "
    "decodifica.");
const QString kAmbiguousTitle = QStringLiteral("Installa/Aggiorna tabelle di decodifica");
const QString kTableTitle = QStringLiteral("Installazione/Aggiornamento tabelle di decodifica");

QString line(const QStringList& fields)
{
    return QLatin1Char('#') + fields.join(QStringLiteral("#,#")) + QLatin1Char('#');
}

void writeTable(InstalledContext& c, const QString& name, const QString& header, const QStringList& lines)
{
    c.inst.writeFile(name, windows1252::encode(header + QStringLiteral("\r\n") + lines.join(QStringLiteral("\r\n")) +
                                               QStringLiteral("\r\n")));
}

// The rows of a table as "a|b|<null>" texts, in key order.
QStringList rows(Database& db, const QString& table, int columns)
{
    QSqlQuery q = db.query();
    q.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" ORDER BY 1, 2"));
    QStringList out;
    while (q.next()) {
        QStringList values;
        for (int i = 0; i < columns; ++i)
            values.append(q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        out.append(values.join(QLatin1Char('|')));
    }
    return out;
}

} // namespace

class TstRefdata : public QObject {
    Q_OBJECT

private slots:
    void fields_data();
    void fields();
    void flags_data();
    void flags();
    void installEmptiesAndReloads();
    void headerSetsTheModeForLaterFiles();
    void updateByKey();
    void unchangedRowsAreNotWritten();
    void progressWithTotal();
    void valuesCutTrimmedAndBound();
    void logoNeverWritten();
    void emptyFile_data();
    void emptyFile();
    void failureLeavesTheTableAsItWas_data();
    void failureLeavesTheTableAsItWas();
    void phone_data();
    void phone();
    void registryRefused_data();
    void registryRefused();
    void registryMissingFiles_data();
    void registryMissingFiles();
    void registryLoad();
    void registryProgress();
    void registryKeySpelledOtherwise();
    void registryValuesAsRead_data();
    void registryValuesAsRead();
    void correspondenceOnlyForTheFileOperators();
    void registryEmptyOperFile();
    void registryFailureRollsBack();
    void startLoadsDecodeTables();
    void startEndsAtEmptyFile();
    void firstUse_data();
    void firstUse();
    void commandLine_data();
    void commandLine();
    void everyDecodeTableInTheSchema();
    void deliveredTablesLoad_data();
    void deliveredTablesLoad();
    void deliveredFilesAreDecodeTables();
};

void TstRefdata::fields_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("three") << "#A#,#12#,#Roma#" << QStringList{"A", "12", "Roma"};
    QTest::newRow("blanks around the line") << "   #A#,#B#  " << QStringList{"A", "B"};
    QTest::newRow("empty middle field") << "#A#,##,#C#" << QStringList{"A", "", "C"};
    QTest::newRow("blanks inside kept") << "# a #,#b#" << QStringList{" a ", "b"};
    QTest::newRow("no closing mark") << "#A#,#tail" << QStringList{"A", "tail"};
    QTest::newRow("first character skipped whatever it is") << "XA#,#B#" << QStringList{"A", "B"};
    QTest::newRow("empty line") << "" << QStringList{};
    QStringList many;
    for (int i = 0; i < 60; ++i)
        many.append(QString::number(i));
    QTest::newRow("at most 51") << line(many) << many.mid(0, 51);
}

void TstRefdata::fields()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QCOMPARE(splitFields(line), expected);
    // The views the registry load reads give the same fields.
    QStringList viewed;
    for (QStringView field : splitFieldViews(line))
        viewed.append(field.toString());
    QCOMPARE(viewed, expected);
}

void TstRefdata::flags_data()
{
    QTest::addColumn<bool>("install");
    QTest::addColumn<bool>("update");
    QTest::addColumn<bool>("stuckFlag");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("none: nothing, silently") << false << false << false << false;
    QTest::newRow("both: the message, nothing") << true << true << false << false;
    QTest::newRow("install") << true << false << false << true;
    QTest::newRow("update") << false << true << false << true;
    QTest::newRow("flag not deletable") << true << false << true << false;
}

void TstRefdata::flags()
{
    QFETCH(bool, install);
    QFETCH(bool, update);
    QFETCH(bool, stuckFlag);
    QFETCH(bool, loaded);
    InstalledContext c;
    QVERIFY(c.open());
    if (stuckFlag) {
        // A folder of that name: it is there, and removing it as a file fails.
        QVERIFY(QDir(c.inst.folder()).mkpath(kInstallFlag + QStringLiteral("/x")));
    } else {
        if (install)
            c.inst.writeFile(kInstallFlag, "x");
        if (update)
            c.inst.writeFile(kUpdateFlag, "");
    }
    writeTable(c, QStringLiteral("Regioni.txt"), QStringLiteral("testata"), {line({"05", "Veneto"})});
    if (install && update)
        c.prompter.expect(kAmbiguous, kAmbiguousTitle, Icon::Exclamation);
    if (stuckFlag)
        c.prompter.expect(
            QStringLiteral("Impossibile aggiornare le tabelle di decodifica (file flag non cancellabile)"), kAppTitle,
            Icon::Critical);

    DecodeTables tables(c.ctx);
    const auto outcome = tables.aggiornaTabelleDecodifica();
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(outcome, loaded ? DecodeTables::Outcome::Loaded : DecodeTables::Outcome::Nothing);
    QCOMPARE(rows(c.db, QStringLiteral("Regioni"), 2), loaded ? QStringList{"05|Veneto"} : QStringList{});
    QCOMPARE(QFile::exists(c.inst.file(QStringLiteral("Regioni.txt"))), !loaded);
    QCOMPARE(QFile::exists(c.inst.file(QStringLiteral("Car/Regioni.txt"))), loaded);
    // Both flags stay for the next start; a consumed flag is gone.
    QCOMPARE(QFile::exists(c.inst.file(kInstallFlag)), install && (update || stuckFlag));
    QCOMPARE(QFile::exists(c.inst.file(kUpdateFlag)), update && install);
    if (loaded)
        QCOMPARE(c.state.decodeInstallMode, install);
}

void TstRefdata::installEmptiesAndReloads()
{
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES ('099', 'Vecchia')"));
    c.inst.writeFile(kInstallFlag, "");
    writeTable(c, QStringLiteral("Province.txt"), QStringLiteral("qualsiasi"),
               {line({"028", "Padova", "PD", "05"}), line({"027", "Venezia", "VE", "05"})});
    writeTable(c, QStringLiteral("ParamPFA.tx1"), QString(), {line({"PD", "Ore", "40"})});
    // An older copy in Car is replaced.
    QVERIFY(QDir(c.inst.folder()).mkpath(kProcessedFolder));
    c.inst.writeFile(QStringLiteral("Car/ParamPFA.txt"), "vecchia");

    DecodeTables tables(c.ctx);
    QStringList seen;
    tables.progress = [&](const QString& file, const QString& table, int rows) {
        if (!file.isEmpty())
            seen.append(file + QLatin1Char(' ') + table + QLatin1Char(' ') + QString::number(rows));
    };
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(rows(c.db, QStringLiteral("Province"), 4), (QStringList{"027|Venezia|VE|05", "028|Padova|PD|05"}));
    QCOMPARE(rows(c.db, QStringLiteral("ParamPFA"), 3), QStringList{"PD|Ore|40"});
    QCOMPARE(seen, (QStringList{"Province.txt Province 0", "ParamPFA.tx1 ParamPFA 0"}));
    QVERIFY(!QFile::exists(c.inst.file(QStringLiteral("Province.txt"))));
    QVERIFY(!QFile::exists(c.inst.file(QStringLiteral("ParamPFA.tx1"))));
    QVERIFY(QFile::exists(c.inst.file(QStringLiteral("Car/Province.txt"))));
    QFile archived(c.inst.file(QStringLiteral("Car/ParamPFA.txt")));
    QVERIFY(archived.open(QIODevice::ReadOnly));
    QVERIFY(archived.readAll().contains("#PD#"));
}

void TstRefdata::headerSetsTheModeForLaterFiles()
{
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO Comuni (CodComune, Denominazione) VALUES ('X99', 'Sparito')"));
    c.inst.sql(QStringLiteral("INSERT INTO Regioni VALUES ('09', 'Vecchia')"));
    c.inst.writeFile(kUpdateFlag, "");
    writeTable(c, QStringLiteral("Comuni.txt"), kInstallHeader,
               {line({"G224", "Padova", "028", "35100", "G224", "028060"})});
    // No header of its own: the install mode of Comuni.txt holds.
    writeTable(c, QStringLiteral("Regioni.txt"), QStringLiteral("--"), {line({"05", "Veneto"})});

    DecodeTables tables(c.ctx);
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    QCOMPARE(rows(c.db, QStringLiteral("Comuni"), 6), QStringList{"G224|Padova|028|35100|G224|028060"});
    QCOMPARE(rows(c.db, QStringLiteral("Regioni"), 2), QStringList{"05|Veneto"});
    QVERIFY(c.state.decodeInstallMode);
}

void TstRefdata::updateByKey()
{
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO Comuni VALUES ('G224', 'Padova', '028', '35100', 'G224', '028060')"));
    c.inst.sql(QStringLiteral("INSERT INTO Comuni VALUES ('L736', 'Venezia', '027', '30100', 'L736', '027042')"));
    c.inst.sql(QStringLiteral("INSERT INTO AttEcono VALUES (12, 'Vecchia')"));
    const QStringList comuni = {line({"G224", "Padova nuova", "null", "35121"}),
                                line({"A001", "Abano", "028", "35031", "A001", "028001", "oltre"})};
    const QStringList expected = {"A001|Abano|028|35031|A001|028001", "G224|Padova nuova|<null>|35121||",
                                  "L736|Venezia|027|30100|L736|027042"};
    for (int pass = 0; pass < 2; ++pass) {
        c.inst.writeFile(kUpdateFlag, "");
        writeTable(c, QStringLiteral("Comuni.txt"), kUpdateHeader, comuni);
        // A numeric key: "012" is the row 12.
        writeTable(c, QStringLiteral("AttEcono.txt"), kUpdateHeader, {line({"012", "Nuova"})});
        DecodeTables tables(c.ctx);
        QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
        QCOMPARE(rows(c.db, QStringLiteral("Comuni"), 6), expected);
        QCOMPARE(rows(c.db, QStringLiteral("AttEcono"), 2), QStringList{"12|Nuova"});
        QVERIFY(!c.state.decodeInstallMode);
    }
}

void TstRefdata::unchangedRowsAreNotWritten()
{
    // A file delivered again rewrites no row: only the rows whose values differ are written, a
    // null that stays null included; a table whose columns are all keys gets no second copy.
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO Comuni VALUES ('G224', 'Padova', NULL, '35100', 'G224', '028060')"));
    c.inst.sql(QStringLiteral("INSERT INTO Comuni VALUES ('L736', 'Venezia', '027', '30100', 'L736', '027042')"));
    c.inst.sql(QStringLiteral("INSERT INTO Prov_Asse VALUES ('028', 'A')"));
    c.inst.sql(QStringLiteral("CREATE TABLE Scritte (Tabella TEXT, Chiave TEXT)"));
    c.inst.sql(QStringLiteral("CREATE TRIGGER ComuniScritti AFTER UPDATE ON Comuni BEGIN INSERT INTO Scritte "
                              "VALUES ('Comuni', new.CodComune); END"));
    c.inst.sql(QStringLiteral("CREATE TRIGGER ProvAsseScritta AFTER UPDATE ON Prov_Asse BEGIN INSERT INTO Scritte "
                              "VALUES ('Prov_Asse', new.Prov); END"));
    c.inst.writeFile(kUpdateFlag, "");
    writeTable(c, QStringLiteral("Comuni.txt"), kUpdateHeader,
               {line({"G224", "Padova", "NULL", " 35100", "G224", "028060"}),
                line({"L736", "Venezia", "027", "30121", "L736", "027042"}),
                line({"A001", "Abano", "028", "35031", "A001", "028001"})});
    writeTable(c, QStringLiteral("Prov_Asse.txt"), kUpdateHeader, {line({"028", "A"}), line({"028", "B"})});
    DecodeTables tables(c.ctx);
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    QCOMPARE(rows(c.db, QStringLiteral("Comuni"), 6),
             (QStringList{"A001|Abano|028|35031|A001|028001", "G224|Padova|<null>|35100|G224|028060",
                          "L736|Venezia|027|30121|L736|027042"}));
    QCOMPARE(rows(c.db, QStringLiteral("Prov_Asse"), 2), (QStringList{"028|A", "028|B"}));
    QCOMPARE(rows(c.db, QStringLiteral("Scritte"), 2), QStringList{"Comuni|L736"});
}

void TstRefdata::progressWithTotal()
{
    // A progress bar learns the size of each table and moves every few hundred rows.
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.writeFile(kUpdateFlag, "");
    QStringList comuni;
    for (int i = 0; i < 450; ++i)
        comuni.append(line({QStringLiteral("C%1").arg(i), QStringLiteral("Comune %1").arg(i)}));
    comuni.insert(100, QStringLiteral("   ")); // a blank line is no row
    writeTable(c, QStringLiteral("Comuni.txt"), kUpdateHeader, comuni);
    writeTable(c, QStringLiteral("Asse.txt"), QString(), {line({"A", "Asse A"})});
    DecodeTables tables(c.ctx);
    QStringList seen;
    tables.progressWithTotal = [&](const QString& file, const QString& table, int rows, int total) {
        seen.append(QStringLiteral("%1 %2 %3/%4").arg(file, table).arg(rows).arg(total));
    };
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    QCOMPARE(seen, (QStringList{"Asse.txt Asse 0/1", " Asse 1/1", "Comuni.txt Comuni 0/450", " Comuni 200/450",
                                " Comuni 400/450", " Comuni 450/450"}));
}

void TstRefdata::valuesCutTrimmedAndBound()
{
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.writeFile(kInstallFlag, "");
    const QString longText = QStringLiteral("  ") + QString(498, QLatin1Char('a')) + QStringLiteral("bcd");
    // The cut comes before the trim: 2 blanks + 498 letters, then the blanks go.
    const QString hostile = QStringLiteral("x'); DROP TABLE Asse; --");
    writeTable(c, QStringLiteral("Asse.txt"), QString(), {line({"A", longText}), line({hostile, "Sant'Angelo"})});
    DecodeTables tables(c.ctx);
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    QCOMPARE(rows(c.db, QStringLiteral("Asse"), 2),
             (QStringList{"A|" + QString(498, QLatin1Char('a')), hostile + "|Sant'Angelo"}));
}

void TstRefdata::logoNeverWritten()
{
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO ProvinceLoghiIndir VALUES ('028', 'Vecchia', '', '', '', '', ?)"),
               {QByteArray("PNG")});
    c.inst.writeFile(kUpdateFlag, "");
    writeTable(c, QStringLiteral("ProvinceLoghiIndir.txt"), QString(),
               {line({"028", "Provincia di Padova", "Piazza", "35100", "Padova", "049", "NULL"})});
    DecodeTables tables(c.ctx);
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    QCOMPARE(rows(c.db, QStringLiteral("ProvinceLoghiIndir"), 7),
             QStringList{"028|Provincia di Padova|Piazza|35100|Padova|049|PNG"});
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
    writeTable(c, QStringLiteral("Asse.txt"), QString(), {line({"A", "Asse A"})});
    c.inst.writeFile(QStringLiteral("Comuni.txt"), QByteArray());
    writeTable(c, QStringLiteral("Regioni.txt"), QString(), {line({"05", "Veneto"})});
    c.prompter.expect(QStringLiteral("ATTENZIONE: il file ") +
                          QDir::toNativeSeparators(c.inst.file(QStringLiteral("Comuni.txt"))) +
                          QStringLiteral(" è vuoto. Continuare l'operazione di aggiornamento sulle altre tabelle "
                                         "(scegliendo No il programma terminerà) ?"),
                      kTableTitle, Icon::Question, Buttons::YesNo, goOn ? Answer::Yes : Answer::No);
    DecodeTables tables(c.ctx);
    QCOMPARE(tables.aggiornaTabelleDecodifica(),
             goOn ? DecodeTables::Outcome::Loaded : DecodeTables::Outcome::EndProgram);
    VX_VERIFY_PROMPTS(c.prompter);
    // The table before stays loaded; the one after is loaded only when the user goes on.
    QCOMPARE(rows(c.db, QStringLiteral("Asse"), 2), QStringList{"A|Asse A"});
    QCOMPARE(rows(c.db, QStringLiteral("Regioni"), 2), goOn ? QStringList{"05|Veneto"} : QStringList{});
    QCOMPARE(QFile::exists(c.inst.file(QStringLiteral("Car/Comuni.txt"))), goOn);
}

void TstRefdata::failureLeavesTheTableAsItWas_data()
{
    QTest::addColumn<bool>("install");
    QTest::addColumn<QStringList>("after");
    // Install empties and reloads; update changes 028, adds 027 and 026, and leaves 099 alone.
    QTest::newRow("install") << true << QStringList{"026|Rovigo|RO|05", "027|Venezia|VE|05", "028|Padova|PD|05"};
    QTest::newRow("update") << false
                            << QStringList{"026|Rovigo|RO|05", "027|Venezia|VE|05", "028|Padova|PD|05",
                                           "099|Vecchia|VV|01"};
}

void TstRefdata::failureLeavesTheTableAsItWas()
{
    // The Nth statement of the load fails, for every N until the load runs through, so also at
    // a row in the middle of the file: Province is then either as it was or wholly loaded, never
    // emptied or half written.
    QFETCH(bool, install);
    QFETCH(QStringList, after);
    const QStringList before = {"028|Vecchia Padova|PD|01", "099|Vecchia|VV|01"};
    for (int n = 1;; ++n) {
        InstalledContext c;
        QVERIFY(c.open());
        c.inst.sql(QStringLiteral("INSERT INTO Province VALUES ('099', 'Vecchia', 'VV', '01')"));
        c.inst.sql(QStringLiteral("INSERT INTO Province VALUES ('028', 'Vecchia Padova', 'PD', '01')"));
        c.inst.writeFile(install ? kInstallFlag : kUpdateFlag, "");
        writeTable(c, QStringLiteral("Province.txt"), QString(),
                   {line({"028", "Padova", "PD", "05"}), line({"027", "Venezia", "VE", "05"}),
                    line({"026", "Rovigo", "RO", "05"})});
        c.db.failStatement(n);
        DecodeTables tables(c.ctx);
        const auto outcome = tables.aggiornaTabelleDecodifica();
        const bool fired = c.db.faultFired();
        c.db.failStatement(0);
        if (!fired) {
            QCOMPARE(outcome, DecodeTables::Outcome::Loaded);
            QCOMPARE(rows(c.db, QStringLiteral("Province"), 4), after);
            QVERIFY2(n > 5, "the load runs more than five statements");
            break;
        }
        QCOMPARE(outcome, DecodeTables::Outcome::Failed);
        QVERIFY(!tables.lastError().isEmpty());
        QCOMPARE(rows(c.db, QStringLiteral("Province"), 4), before);
        // Told (with the engine's error, whatever the failing statement was), and the file and its
        // flag stay for another try.
        const QString told = c.prompter.problems();
        QVERIFY2(told.contains(QStringLiteral("Impossibile caricare la tabella Province dal file ") +
                               QDir::toNativeSeparators(c.inst.file(QStringLiteral("Province.txt"))) +
                               QStringLiteral(":")) &&
                     told.contains(QStringLiteral("La tabella non è stata modificata; il caricamento sarà ripetuto "
                                                  "al prossimo avvio del programma.")) &&
                     told.contains(QStringLiteral("Installazione/Aggiornamento tabelle di decodifica")),
                 qPrintable(told));
        QVERIFY(QFile::exists(c.inst.file(QStringLiteral("Province.txt"))));
        QVERIFY(QFile::exists(c.inst.file(install ? kInstallFlag : kUpdateFlag)));
    }
}

namespace {

const QString kRegistryTitle = QStringLiteral("Aggiornamento Base Dati");

QString operLine(const QString& group, const QString& code, const QString& name, const QString& legal)
{
    return line({group, code, name, "01", "01234567890", legal, legal.isEmpty() ? "" : "Padova",
                 legal.isEmpty() ? "" : "PD", legal.isEmpty() ? "" : "01021970", "", "", "", "85"});
}
QString compoLine(const QString& group, const QString& code, const QString& site, const QString& type,
                  const QString& name, const QString& tel)
{
    return line(
        {group, code, site, type, name, "G224", "35100", "Via Roma 1", "049", tel, "", "", "", "", "", " 855900.59 "});
}

} // namespace

void TstRefdata::phone_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("stored");
    QTest::newRow("prefix, slash, number") << "049/ 8751234"
                                           << "8751234";
    QTest::newRow("no slash: whole, trimmed") << " 0498751234 "
                                              << "0498751234";
    QTest::newRow("the last slash") << "+39/049/123"
                                    << "123";
    QTest::newRow("at most 10") << "12345678901234"
                                << "1234567890";
}

void TstRefdata::phone()
{
    QFETCH(QString, field);
    QFETCH(QString, stored);
    QCOMPARE(phoneNumber(field), stored);
}

void TstRefdata::registryRefused_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("client") << "CLIENT"
                            << "La funzione di Aggiornamento Base Dati è disponibile solo dalle installazioni di tipo "
                               "SERVER."
                            << "Funzione non disponibile";
    QTest::newRow("neither") << "ALTRO"
                             << "ATTENZIONE: impossibile rilevare tipo di installazione in uso (SERVER/CLIENT). "
                                "\r\n\r\nContattare il servizio di assistenza K.V.R. riportando questo messaggio."
                             << "Anomalia";
}

void TstRefdata::registryRefused()
{
    QFETCH(QString, version);
    QFETCH(QString, text);
    QFETCH(QString, title);
    vx::test::IniValues values;
    values.versione = version;
    InstalledContext c(values);
    QVERIFY(c.open());
    c.inst.writeFile(kOperFile, operLine("A", "12", "Ente", "Rossi").toLatin1());
    c.prompter.expect(text, title, Icon::Critical);
    RegistryUpdate update(c.ctx);
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Refused);
    VX_VERIFY_PROMPTS(c.prompter);
    QVERIFY(QFile::exists(c.inst.file(kOperFile)));
    QCOMPARE(rows(c.db, QStringLiteral("CorsiOper"), 1), QStringList{});
}

void TstRefdata::registryMissingFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("title");
    QTest::newRow("no compo") << QStringList{kOperFile} << kRegistryTitle;
    QTest::newRow("sediocc without sediutil")
        << QStringList{kOperFile, kCompoFile, kSediOccFile} << QStringLiteral("Installazione Base Dati");
}

void TstRefdata::registryMissingFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QString, title);
    InstalledContext c;
    QVERIFY(c.open());
    for (const QString& f : files)
        c.inst.writeFile(f, f == kCompoFile ? compoLine("A", "12", "1", "SL", "Sede", "1").toLatin1()
                                            : operLine("A", "12", "Ente", "Rossi").toLatin1());
    c.prompter.expect(
        QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari."), title,
        Icon::Critical);
    RegistryUpdate update(c.ctx);
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(rows(c.db, QStringLiteral("CorsiOper"), 1), QStringList{});
    for (const QString& f : files)
        QVERIFY(QFile::exists(c.inst.file(kBadFolder + "/" + QFileInfo(f).completeBaseName() + ".car")));
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
    c.inst.addProvince(QStringLiteral("028"), QStringLiteral("Padova"), QStringLiteral("PD"));
    c.inst.addRequest(1, QStringLiteral("A"), 12, QStringLiteral("028"), 1);
    c.inst.addRequest(2, QStringLiteral("A"), 12, QStringLiteral("028"), 2, true);
    c.inst.sql(QStringLiteral("UPDATE Domande SET Componente=1, DenominazioneOp='Vecchio', DenominazioneSL='Sede'"));
    c.inst.writeFile(
        kOperFile,
        (operLine("A", "12", "Nuovo", "") + "\r\n" + operLine("A", "7", "Altro", "Verdi") + "\r\n").toLatin1());
    c.inst.writeFile(kCompoFile, (compoLine("A", "12", "1", "SL", "Sede nuova", "") + "\r\n" +
                                  compoLine("A", "7", "3", "SL", "Sede A7", "049/123") + "\r\n")
                                     .toLatin1());
    const QString log = c.inst.file(kLogFile);
    c.prompter.expect(QStringLiteral("E' stato creato un file di log con nome: ") + QDir::toNativeSeparators(log) +
                          QStringLiteral(", contenente alcune note all'aggiornamento. E' possibile leggerlo con "
                                         "un editor di testo.\r\n\r\nVisualizzare subito il file di log?"),
                      kRegistryTitle, Icon::Question, Buttons::YesNo, Answer::Yes);
    RegistryUpdate update(c.ctx);
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(c.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(log)});

    QSqlQuery q = c.db.query();
    QVERIFY(q.exec("SELECT GrupOpe, Operatore, Denominazione, LegNome, LegGGNasc, LegAAAANasc, AttEcono, "
                   "Corrispondenza FROM CorsiOper ORDER BY Operatore"));
    QStringList ops;
    while (q.next())
        ops.append(QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                               q.value(6).toString(), q.value(7).toString()}
                       .join('|'));
    // The empty legal representative keeps the stored one; the new operator gets the file's.
    QCOMPARE(ops, (QStringList{"A|7|Altro|Verdi|01|1970|85|3", "A|12|Nuovo|Bianchi|||85|1"}));
    QCOMPARE(rows(c.db, QStringLiteral("PromotoriSostenitori_Oper"), 3), (QStringList{"A|7|Altro", "A|12|Nuovo"}));
    QVERIFY(q.exec("SELECT Operatore, Denominazione, Tel, Email, ID_ATECO_2007 FROM CorsiCompo ORDER BY Operatore"));
    QStringList sites;
    while (q.next())
        sites.append(QStringList{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                 q.value(3).toString(), q.value(4).toString()}
                         .join('|'));
    QCOMPARE(sites, (QStringList{"7|Sede A7|123||855900.59", "12|Sede nuova|555|a@b.it|855900.59"}));
    // The open Request follows the registry; the printed one is left alone, with its log lines.
    QVERIFY(q.exec("SELECT NumDoma, DenominazioneOp, DenominazioneSL FROM Domande ORDER BY NumDoma"));
    QStringList requests;
    while (q.next())
        requests.append(q.value(0).toString() + "|" + q.value(1).toString() + "|" + q.value(2).toString());
    QCOMPARE(requests, (QStringList{"1|Nuovo|Sede nuova", "2|Vecchio|Sede"}));
    QFile logFile(log);
    QVERIFY(logFile.open(QIODevice::ReadOnly));
    QCOMPARE(
        logFile.readAll(),
        QStringLiteral("- Proposta N. 2 dell'Operatore A-12 non aggiornata perchè bloccata (stampata in definitivo)\r\n"
                       "- Dati relativi alla sede legale della Proposta N. 2 dell'Operatore A-12 non aggiornati "
                       "perchè bloccati (proposta sostituita o stampata in definitivo)\r\n")
            .toUtf8());
    QVERIFY(QFile::exists(c.inst.file("CAR/oper.car")));
    QVERIFY(QFile::exists(c.inst.file("CAR/compo.car")));
    QVERIFY(!QFile::exists(c.inst.file(kOperFile)));
    QVERIFY(!QFile::exists(c.inst.databasePath() + kBackupSuffix));
}

void TstRefdata::registryEmptyOperFile()
{
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.writeFile(kOperFile, "\r\n");
    c.inst.writeFile(kCompoFile, compoLine("A", "12", "1", "SL", "Sede", "").toLatin1());
    c.prompter.expect(QStringLiteral("ATTENZIONE: il file Oper.TX1 contenente le anagrafiche degli Operatori da "
                                     "aggiornare risulta vuoto. Impossibile continuare l'operazione di aggiornamento."),
                      kRegistryTitle, Icon::Critical);
    c.prompter.expect(QStringLiteral("Ripristino della base dati riuscito"), kRegistryTitle, Icon::Information);
    RegistryUpdate update(c.ctx);
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Failed);
    VX_VERIFY_PROMPTS(c.prompter);
    QVERIFY(QFile::exists(c.inst.file("BAD/oper.car")));
    QVERIFY(QFile::exists(c.inst.file("BAD/compo.car")));
    QVERIFY(!QFile::exists(c.inst.file(kLogFile)));
}

void TstRefdata::registryProgress()
{
    // Each pass over a file tells its start, its size and its end, so a progress bar can follow.
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.writeFile(kOperFile,
                     (operLine("A", "12", "Uno", "Rossi") + "\r\n" + operLine("A", "7", "Due", "Verdi")).toLatin1());
    c.inst.writeFile(kCompoFile,
                     (compoLine("A", "12", "1", "SL", "Sede", "") + "\r\n" +
                      compoLine("A", "7", "1", "SL", "Sede", "") + "\r\n" + compoLine("A", "7", "2", "SO", "Altra", ""))
                         .toLatin1());
    RegistryUpdate update(c.ctx);
    QStringList seen, plain;
    update.progressWithTotal = [&](const QString& file, int rows, int total) {
        seen.append(QStringLiteral("%1 %2/%3").arg(file).arg(rows).arg(total));
    };
    update.progress = [&](const QString& file, int rows) {
        plain.append(file + QLatin1Char(' ') + QString::number(rows));
    };
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    // Operators, sites, correspondence, then the Requests by operator and by site.
    const QStringList expected = {"oper.tx1 0/2", "oper.tx1 2/2", "compo.tx1 0/3", "compo.tx1 3/3", "oper.tx1 0/2",
                                  "oper.tx1 2/2", "oper.tx1 0/2", "oper.tx1 2/2",  "compo.tx1 0/3", "compo.tx1 3/3"};
    QCOMPARE(seen, expected);
    QCOMPARE(plain.size(), expected.size());
}

void TstRefdata::registryValuesAsRead_data()
{
    // A site's district (a number where the field reads as one, else its text, which the column
    // then takes as a number when it can) and its ATECO code (the leading number of the field,
    // whole when it has no fraction), as stored.
    QTest::addColumn<QString>("district");
    QTest::addColumn<QString>("ateco");
    QTest::addColumn<QString>("stored");
    QTest::newRow("digits") << " 007 "
                            << "855900"
                            << "integer:7|integer:855900";
    QTest::newRow("signed") << "+5"
                            << "-3.5x"
                            << "integer:5|real:-3.5";
    QTest::newRow("negative") << "-12"
                              << "-0"
                              << "integer:-12|integer:0";
    QTest::newRow("no number") << "12a"
                               << "abc"
                               << "text:12a|integer:0";
    QTest::newRow("empty") << ""
                           << " 12.50 "
                           << "text:|real:12.5";
    QTest::newRow("whole fraction") << "3.0"
                                    << "1.0"
                                    << "integer:3|integer:1";
    QTest::newRow("long") << "1234567890123456789"
                          << "1234567890123456"
                          << "integer:1234567890123456789|integer:1234567890123456";
    QTest::newRow("too long") << "99999999999999999999"
                              << "+7"
                              << "real:1.0e+20|integer:7";
}

void TstRefdata::registryValuesAsRead()
{
    QFETCH(QString, district);
    QFETCH(QString, ateco);
    QFETCH(QString, stored);
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.writeFile(kOperFile, windows1252::encode(operLine("A", "7", "Città € “Œ”", "Verdi")));
    c.inst.writeFile(kCompoFile,
                     windows1252::encode(line({"A", "7", "1", "SL", "Sede di Città", "G224", "35100", "Via Roma 1",
                                               "049", "049/123", "", "", district, "", "", ateco})));
    RegistryUpdate update(c.ctx);
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    QSqlQuery q = c.db.query();
    QVERIFY(q.exec("SELECT typeof(c.Cod_Quartiere) || ':' || c.Cod_Quartiere, typeof(c.ID_ATECO_2007) || ':' || "
                   "c.ID_ATECO_2007, c.Denominazione, o.Denominazione FROM CorsiCompo c JOIN CorsiOper o ON "
                   "o.GrupOpe=c.GrupOpe AND o.Operatore=c.Operatore"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString() + QLatin1Char('|') + q.value(1).toString(), stored);
    QCOMPARE(q.value(2).toString(), QStringLiteral("Sede di Città"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("Città € “Œ”"));
}

void TstRefdata::registryKeySpelledOtherwise()
{
    // An operator code the file spells otherwise ("012", " 12.0") is the stored operator 12: it is
    // updated, never added a second time.
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione) VALUES ('A', 12, 'Vecchio')"));
    c.inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione) "
                              "VALUES ('A', 12, 1, 'SL', 'Vecchia')"));
    c.inst.writeFile(
        kOperFile, (operLine("A", "012", "Nuovo", "") + "\r\n" + operLine("A", " 12.0", "Nuovissimo", "")).toLatin1());
    c.inst.writeFile(kCompoFile, compoLine("A", "12.0", "1.0", "SL", "Sede nuova", "").toLatin1());
    RegistryUpdate update(c.ctx);
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    QCOMPARE(rows(c.db, QStringLiteral("CorsiOper"), 3), QStringList{"A|12|Nuovissimo"});
    QCOMPARE(rows(c.db, QStringLiteral("PromotoriSostenitori_Oper"), 3), QStringList{"A|12|Nuovissimo"});
    QCOMPARE(rows(c.db, QStringLiteral("CorsiCompo"), 5), QStringList{"A|12|1|SL|Sede nuova"});
}

void TstRefdata::correspondenceOnlyForTheFileOperators()
{
    // An operator the file does not name keeps its correspondence site, even when it has none.
    InstalledContext c;
    QVERIFY(c.open());
    c.inst.sql(QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione) VALUES ('B', 5, 'Assente')"));
    c.inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo) VALUES "
                              "('B', 5, 4, 'SL')"));
    c.inst.writeFile(kOperFile, operLine("A", "7", "Altro", "Verdi").toLatin1());
    c.inst.writeFile(kCompoFile, compoLine("A", "7", "3", "SL", "Sede A7", "").toLatin1());
    RegistryUpdate update(c.ctx);
    QCOMPARE(update.aggiornaBaseDati(), RegistryUpdate::Outcome::Done);
    QSqlQuery q = c.db.query();
    QVERIFY(q.exec("SELECT GrupOpe, Operatore, Corrispondenza FROM CorsiOper ORDER BY GrupOpe"));
    QStringList found;
    while (q.next())
        found.append(q.value(0).toString() + "|" + q.value(1).toString() + "|" +
                     (q.value(2).isNull() ? QStringLiteral("<null>") : q.value(2).toString()));
    QCOMPARE(found, (QStringList{"A|7|3", "B|5|<null>"}));
}

void TstRefdata::registryFailureRollsBack()
{
    // The Nth statement of the load fails, for every N until it runs through, so also in the
    // middle of a file and of each step: the registry and the Requests are then exactly as
    // before, or wholly updated.
    const auto snapshot = [](Database& db) {
        QStringList all;
        for (const auto& [table, columns] :
             {std::pair{QStringLiteral("CorsiOper"), 22}, std::pair{QStringLiteral("CorsiCompo"), 16},
              std::pair{QStringLiteral("PromotoriSostenitori_Oper"), 5}, std::pair{QStringLiteral("Domande"), 62}})
            all += QStringList{table} + rows(db, table, columns);
        return all;
    };
    QStringList before, after;
    for (int n = 1;; ++n) {
        InstalledContext c;
        QVERIFY(c.open());
        c.inst.sql(QStringLiteral("INSERT INTO CorsiOper (GrupOpe, Operatore, Denominazione, LegNome) VALUES "
                                  "('A', 12, 'Vecchio', 'Bianchi')"));
        c.inst.sql(QStringLiteral("INSERT INTO PromotoriSostenitori_Oper (GrupOpe, Operatore, Denominazione) VALUES "
                                  "('A', 12, 'Vecchio')"));
        c.inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, "
                                  "Tel) VALUES ('A', 12, 1, 'SL', 'Vecchia sede', '555')"));
        c.inst.addRequest(1, QStringLiteral("A"), 12, QStringLiteral("028"), 1);
        c.inst.addRequest(2, QStringLiteral("A"), 12, QStringLiteral("028"), 2, true);
        c.inst.sql(QStringLiteral("UPDATE Domande SET Componente=1, DenominazioneSL='Vecchia sede'"));
        if (n == 1)
            before = snapshot(c.db);
        c.inst.writeFile(kOperFile, (operLine("A", "7", "Altro", "Verdi") + "\r\n" +
                                     operLine("A", "12", "Nuovo", "Rossi") + "\r\n" + operLine("B", "3", "Terzo", ""))
                                        .toLatin1());
        c.inst.writeFile(kCompoFile, (compoLine("A", "7", "1", "SL", "Sede A7", "") + "\r\n" +
                                      compoLine("A", "12", "1", "SL", "Sede", "049/123") + "\r\n" +
                                      compoLine("B", "3", "1", "SL", "Sede B3", ""))
                                         .toLatin1());
        c.db.failStatement(n);
        // The prompts depend on whether the fault fires; look at them afterwards.
        struct Quiet : Prompter {
            QStringList texts;
            Answer ask(const Message& m) override
            {
                texts.append(m.text);
                return Answer::No;
            }
            QString chooseOpenFile(const FileChoice&) override { return {}; }
            QString chooseSaveFile(const FileChoice&) override { return {}; }
            bool askPassword(const QString&, const QString&, QString&) override { return false; }
        } quiet;
        Context ctx{c.state, c.db, quiet, c.control, c.desktop, c.clock};
        RegistryUpdate run(ctx);
        const auto outcome = run.aggiornaBaseDati();
        const bool fired = c.db.faultFired();
        c.db.failStatement(0);
        if (!fired) {
            QCOMPARE(outcome, RegistryUpdate::Outcome::Done);
            QCOMPARE(rows(c.db, QStringLiteral("CorsiOper"), 3), (QStringList{"A|7|Altro", "A|12|Nuovo", "B|3|Terzo"}));
            QCOMPARE(rows(c.db, QStringLiteral("Domande"), 1), (QStringList{"1", "2"}));
            after = snapshot(c.db);
            QVERIFY(after != before);
            QVERIFY2(n > 12, "the load runs more than twelve statements");
            break;
        }
        QCOMPARE(outcome, RegistryUpdate::Outcome::Failed);
        QCOMPARE(quiet.texts, QStringList{"Ripristino della base dati riuscito"});
        QCOMPARE(snapshot(c.db), before);
        QVERIFY(QFile::exists(c.inst.file("BAD/oper.car")));
        QVERIFY(!QFile::exists(c.inst.databasePath() + kBackupSuffix));
    }
}

namespace {

// The start-up screens: the progress window's steps, and a download that delivers `files`.
class RecordingScreens : public StartupScreens {
public:
    QStringList steps;
    QMap<QString, QByteArray> files;
    void runInstallation(AppState&, IniFile&) override {}
    void showStep(const QString& title, const QString& wait) override { steps.append(title + "|" + wait); }
    void runRegistryDownload(AppState& state, Database&) override
    {
        steps.append(QStringLiteral("download"));
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            QFile f(state.programFolder + it.key());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(it.value());
        }
    }
};

} // namespace

void TstRefdata::startLoadsDecodeTables()
{
    InstalledContext c;
    c.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Ente"));
    c.inst.writeFile(kUpdateFlag, "");
    writeTable(c, QStringLiteral("Regioni.txt"), kUpdateHeader, {line({"05", "Veneto"})});
    RecordingScreens screens;
    QVERIFY(Startup(c.state, c.db, c.prompter, c.control, screens).run());
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(screens.steps, QStringList{"AGGIORNAMENTO TABELLE|Attendere ...."});
    QCOMPARE(rows(c.db, QStringLiteral("Regioni"), 2), QStringList{"05|Veneto"});
    QVERIFY(!c.state.firstInstallation);
    QCOMPARE(c.control.busyDepth(), 0);
}

void TstRefdata::startEndsAtEmptyFile()
{
    InstalledContext c;
    c.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Ente"));
    c.inst.writeFile(kInstallFlag, "");
    c.inst.writeFile(QStringLiteral("Asse.txt"), QByteArray());
    c.prompter.expect(QStringLiteral("ATTENZIONE: il file ") +
                          QDir::toNativeSeparators(c.inst.file(QStringLiteral("Asse.txt"))) +
                          QStringLiteral(" è vuoto. Continuare l'operazione di aggiornamento sulle altre tabelle "
                                         "(scegliendo No il programma terminerà) ?"),
                      kTableTitle, Icon::Question, Buttons::YesNo, Answer::No);
    RecordingScreens screens;
    QVERIFY(!Startup(c.state, c.db, c.prompter, c.control, screens).run());
    VX_VERIFY_PROMPTS(c.prompter);
    QVERIFY(c.control.ended());
    QVERIFY(!c.db.isOpen());
}

void TstRefdata::firstUse_data()
{
    const QByteArray oper = "#A#,#12#,#Ente#,#01#,#01234567890#\r\n";
    const QByteArray seat = "#A#,#12#,#1#,#SL#,#Sede#,#G224#\r\n";
    const QByteArray branch = "#A#,#12#,#2#,#SO#,#Filiale#,#G224#\r\n";
    QTest::addColumn<QVariantMap>("files");
    QTest::addColumn<QString>("message");
    QTest::newRow("loaded")
        << QVariantMap{{kOperFile, oper}, {kCompoFile, seat}, {kSediOccFile, ""}, {kSediUtilFile, ""}} << QString();
    QTest::newRow("no compo") << QVariantMap{{kOperFile, oper}} << "spostare";
    QTest::newRow("sediutil alone") << QVariantMap{{kOperFile, oper}, {kCompoFile, seat}, {kSediUtilFile, ""}}
                                    << "spostate";
    QTest::newRow("no legal seat")
        << QVariantMap{{kOperFile, oper}, {kCompoFile, branch}}
        << "Manca la sede legale dell'Operatore A - 12. Impossibile utilizzare il programma.";
}

void TstRefdata::firstUse()
{
    QFETCH(QVariantMap, files);
    QFETCH(QString, message);
    InstalledContext c;
    RecordingScreens screens;
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        screens.files.insert(it.key(), it.value().toByteArray());
    const QString title = QStringLiteral("Installazione Base Dati");
    if (message.startsWith(QLatin1String("sposta")))
        c.prompter.expect(
            QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari (è "
                           "possibile che si trovino ancora nella cartella temporanea dove è stato scaricato il "
                           "pacchetto di installazione da Internet. In tal caso, ") +
                message + QStringLiteral(" da tale cartella tutti i files .TX1 nella cartella ") +
                QDir::toNativeSeparators(QDir::cleanPath(c.inst.folder())) + QStringLiteral(")."),
            title, Icon::Critical);
    else if (!message.isEmpty())
        c.prompter.expect(message, title, Icon::Critical);
    const bool started = Startup(c.state, c.db, c.prompter, c.control, screens).run();
    VX_VERIFY_PROMPTS(c.prompter);
    QCOMPARE(screens.steps, (QStringList{"INSTALLAZIONE|Attendere...", "download"}));
    QCOMPARE(started, message.isEmpty());
    QCOMPARE(c.control.ended(), !message.isEmpty());
    QVERIFY(c.state.firstInstallation);
    if (started) {
        QCOMPARE(rows(c.db, QStringLiteral("CorsiOper"), 3), QStringList{"A|12|Ente"});
        QSqlQuery q = c.db.query();
        QVERIFY(q.exec("SELECT Corrispondenza FROM CorsiOper") && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        for (const QString& name : files.keys()) {
            QVERIFY(!QFile::exists(c.inst.file(name)));
            QVERIFY(QFile::exists(c.inst.file("CAR/" + QFileInfo(name).completeBaseName() + ".car")));
        }
    } else {
        QVERIFY(!c.db.isOpen());
        QVERIFY(c.open());
        QCOMPARE(rows(c.db, QStringLiteral("CorsiOper"), 3), QStringList{});
    }
}

void TstRefdata::commandLine_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("logOnOutput");
    QTest::addColumn<QString>("errorText");
    QTest::newRow("tables") << "aggiorna-tabelle"
                            << "SERVER" << 0 << false << QString();
    // The path of the log is on standard output for a script; nobody is offered to open it.
    QTest::newRow("registry") << "aggiorna-anagrafe"
                              << "SERVER" << 0 << true << QString();
    QTest::newRow("registry on a client") << "aggiorna-anagrafe"
                                          << "CLIENT" << 1 << false
                                          << "La funzione di Aggiornamento Base Dati è disponibile solo dalle "
                                             "installazioni di tipo SERVER.";
}

void TstRefdata::commandLine()
{
    QFETCH(QString, command);
    QFETCH(QString, version);
    QFETCH(int, exitCode);
    QFETCH(bool, logOnOutput);
    QFETCH(QString, errorText);
    vx::test::IniValues values;
    values.versione = version;
    InstalledContext c(values);
    c.inst.addProvince(QStringLiteral("028"), QStringLiteral("Padova"), QStringLiteral("PD"));
    c.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Vecchio"));
    c.inst.addRequest(2, QStringLiteral("A"), 12, QStringLiteral("028"), 1, true);
    c.inst.writeFile(kInstallFlag, "");
    writeTable(c, QStringLiteral("Regioni.txt"), QString(), {line({"05", "Veneto"})});
    c.inst.writeFile(kOperFile, operLine("A", "12", "Nuovo", "").toLatin1());
    c.inst.writeFile(kCompoFile, compoLine("A", "12", "1", "SL", "Sede", "").toLatin1());

    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    const int code = vx::cli::run({command}, c.inst.folder(), out, err);
    out.flush();
    err.flush();
    QCOMPARE(code, exitCode);
    QCOMPARE(outText.trimmed(), logOnOutput ? c.inst.file(kLogFile) : QString());
    if (errorText.isEmpty())
        QCOMPARE(errText, QString());
    else
        QVERIFY2(errText.contains(errorText), qPrintable(errText));
    QVERIFY(c.open());
    QCOMPARE(rows(c.db, QStringLiteral("Regioni"), 2), exitCode == 0 ? QStringList{"05|Veneto"} : QStringList{});
    const bool registry = command == QLatin1String("aggiorna-anagrafe") && exitCode == 0;
    QCOMPARE(rows(c.db, QStringLiteral("CorsiOper"), 3), QStringList{registry ? "A|12|Nuovo" : "A|12|Vecchio"});
}

void TstRefdata::everyDecodeTableInTheSchema()
{
    // Each table of the load has at least the columns its file fills, its keys leading; and the
    // catalogued decode tables that no file loads are there too.
    InstalledContext c;
    QVERIFY(c.open());
    for (const DecodeTable& table : decodeTables()) {
        const QSqlRecord record = c.db.connection().record(table.table);
        QVERIFY2(record.count() >= table.columns, qPrintable(table.table));
        for (int k = 0; k < table.keys.size(); ++k)
            QVERIFY2(record.fieldName(k).compare(table.keys.at(k).name, Qt::CaseInsensitive) == 0,
                     qPrintable(table.table + ": " + table.keys.at(k).name));
    }
    QVERIFY(!c.db.connection().record(QStringLiteral("Qualifica")).isEmpty());
}

void TstRefdata::deliveredTablesLoad_data()
{
    // A row per table, one with accented letters where the table has them: the file's bytes must
    // reach the table as the letters they stand for.
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("atLeast");
    QTest::addColumn<int>("atMost");
    QTest::addColumn<QStringList>("someRows");
    QTest::newRow("Comuni") << "Comuni" << 6 << 7800 << 8100
                            << QStringList{"001272|TORINO|001|10121|L219|001272", "001001|AGLIÈ|001|10011|A074|001001",
                                           "005005|ASTI|005|14100|A479|005005"};
    QTest::newRow("Province") << "Province" << 4 << 100 << 115
                              << QStringList{"001|TORINO|TO|01", "005|ASTI|AT|01", "040|FORLÌ-CESENA|FC|08"};
    QTest::newRow("Regioni") << "Regioni" << 2 << 20 << 20
                             << QStringList{"01|PIEMONTE", "02|VALLE D'AOSTA/VALLÉE D'AOSTE"};
    QTest::newRow("TipoCompo") << "TipoCompo" << 2 << 1 << 20 << QStringList{"SL|SEDE LEGALE"};
    QTest::newRow("TipoOper") << "TipoOper" << 3 << 1 << 50 << QStringList{"A|01|AGENZIA FORMATIVA"};
}

void TstRefdata::deliveredTablesLoad()
{
    // The file a new installation is delivered with, loaded as its first start loads it.
    QFETCH(QString, table);
    QFETCH(int, columns);
    QFETCH(int, atLeast);
    QFETCH(int, atMost);
    QFETCH(QStringList, someRows);
    const QString name = table + QStringLiteral(".txt");
    InstalledContext c;
    QVERIFY(c.open());
    QVERIFY(QFile::copy(QStringLiteral(VX_TABLES_DIR "/") + name, c.inst.file(name)));
    QVERIFY(QFile::copy(QStringLiteral(VX_TABLES_DIR "/") + kInstallFlag, c.inst.file(kInstallFlag)));
    QFile file(c.inst.file(name));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    QCOMPARE(lines.first(), QByteArray(kInstallHeader.toLatin1() + "\r"));
    for (const QByteArray& l : lines)
        QVERIFY2(l.isEmpty() || l.endsWith('\r'), l.constData());

    DecodeTables tables(c.ctx);
    QCOMPARE(tables.aggiornaTabelleDecodifica(), DecodeTables::Outcome::Loaded);
    VX_VERIFY_PROMPTS(c.prompter);
    const QStringList loaded = rows(c.db, table, columns);
    // Every data line became a row: none was lost to the field syntax or to a repeated key.
    QCOMPARE(loaded.size(), lines.size() - 2);
    QVERIFY2(loaded.size() >= atLeast && loaded.size() <= atMost, qPrintable(QString::number(loaded.size())));
    for (const QString& row : someRows)
        QVERIFY2(loaded.contains(row), qPrintable(row));
    QVERIFY(!QFile::exists(c.inst.file(name)));
    QVERIFY(QFile::exists(c.inst.file(kProcessedFolder + QLatin1Char('/') + name)));
}

void TstRefdata::deliveredFilesAreDecodeTables()
{
    // A delivered file whose name the load does not know would lie in the program folder unread.
    QStringList known{kInstallFlag};
    for (const DecodeTable& table : decodeTables())
        known.append(table.file);
    const QStringList delivered = QDir(QStringLiteral(VX_TABLES_DIR)).entryList(QDir::Files);
    QVERIFY(delivered.contains(kInstallFlag));
    for (const QString& name : delivered)
        QVERIFY2(known.contains(name), qPrintable(name));
}

QTEST_GUILESS_MAIN(TstRefdata)
#include "tst_refdata.moc"
