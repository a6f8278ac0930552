// The connection and its modes, the shared lookups and the error trap.

#include "ChildProcess.h"
#include "ScriptedPrompter.h"
#include "TestContext.h"
#include "TestInstallation.h"

#include "core/AppControl.h"
#include "core/Windows1252.h"
#include "store/Database.h"
#include "store/ErrorAdvice.h"
#include "store/ErrorTrap.h"
#include "store/FastStatement.h"
#include "store/Lookups.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <limits>

#include <iostream>

using namespace vx;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

Q_DECLARE_METATYPE(vx::Database::Mode)
Q_DECLARE_METATYPE(vx::Database::Access)
Q_DECLARE_METATYPE(vx::FastStatement::Path)

namespace {
const char* kOpenVariable = "VX_STORE_OPEN";

QString modeName(Database::Mode mode)
{
    return mode == Database::Mode::StandAlone ? QStringLiteral("StandAlone") : QStringLiteral("Multiutenza");
}

// Child mode: opens "<mode>|<rw or ro>|<path>" as a second program would, and prints "aperto"
// or "errore <number>".
int openAsChild(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char('|'));
    Database db;
    const bool ok =
        db.open(QStringLiteral("QSQLITE"), parts.value(2), Database::modeFor(parts.value(0)),
                parts.value(1) == QLatin1String("ro") ? Database::Access::ReadOnly : Database::Access::ReadWrite);
    std::cout << (ok ? std::string("aperto") : "errore " + db.lastError().number.toStdString()) << std::endl;
    return 0;
}

// What a second program gets when it opens `path`.
QByteArray openInChild(const QString& path, Database::Mode mode, Database::Access access, bool unprivileged = false)
{
    const QString order = modeName(mode) +
                          (access == Database::Access::ReadOnly ? QStringLiteral("|ro|") : QStringLiteral("|rw|")) +
                          path;
    return vx::test::runChild(kOpenVariable, order, unprivileged).output.trimmed();
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<manca>");
}

// A SQLite file made by another program: `statements` run on a new file.
void makeSqliteFile(const QString& path, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& sql : statements) {
            QSqlQuery q(db);
            QVERIFY2(q.exec(sql), qPrintable(sql));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("altro"));
}
} // namespace

class TstStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nonNull_data();
    void nonNull();
    void nonNullNum_data();
    void nonNullNum();
    void provinceLookups();
    void provinceLookupFailureIsReported();
    void fixedWidthAndSplit_data();
    void fixedWidthAndSplit();
    void printedFlagAndOperatorName();
    void windows1252RoundTrip();
    void fastStatementBindsAsTheEngineKeeps_data();
    void fastStatementBindsAsTheEngineKeeps();
    void fastStatementReportsFailures_data();
    void fastStatementReportsFailures();

    void standAloneHoldsTheFile();
    void holdSurvivesOtherHandles_data();
    void holdSurvivesOtherHandles();
    void notOurDatabaseIsNeverWritten_data();
    void notOurDatabaseIsNeverWritten();
    void readOnlyFile_data();
    void readOnlyFile();
    void providerNames();
    void multiutenzaShares();
    void openNeverCreatesAFile();
    void schemaKeepsTheCataloguedOrder();
    void rolesIdentityIsUnique();

    void errorTrapRetriesTheStatement();
    void errorTrapCancelEndsTheProgram();
    void errorAdvice_data();
    void errorAdvice();
};

void TstStore::nonNull_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null") << QVariant() << "";
    QTest::newRow("text unchanged") << QVariant(QStringLiteral("  a b  ")) << "  a b  ";
    QTest::newRow("number") << QVariant(42) << "42";
    QTest::newRow("boolean") << QVariant(true) << "true";
}

void TstStore::nonNull()
{
    QFETCH(QVariant, value);
    QFETCH(QString, expected);
    QCOMPARE(NonNull(value), expected);
}

void TstStore::nonNullNum_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("anomaly");
    QTest::newRow("null") << QVariant() << 0 << false;
    QTest::newRow("integer") << QVariant(1234) << 1234 << false;
    QTest::newRow("half to even") << QVariant(2.5) << 2 << false;
    QTest::newRow("numeric text") << QVariant(QStringLiteral(" 17 ")) << 17 << false;
    QTest::newRow("empty text") << QVariant(QString()) << 0 << true;
    QTest::newRow("letters") << QVariant(QStringLiteral("A12")) << 0 << true;
    QTest::newRow("too large") << QVariant(1e12) << 0 << true;
}

void TstStore::nonNullNum()
{
    QFETCH(QVariant, value);
    QFETCH(int, expected);
    QFETCH(bool, anomaly);
    ScriptedPrompter prompter;
    if (anomaly)
        prompter.expect(QStringLiteral("ANOMALIA: parametro non numerico"), QStringLiteral("NonNull_Num"),
                        Icon::Critical);
    QCOMPARE(NonNull_Num(value, prompter), expected);
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::provinceLookups()
{
    vx::test::InstalledContext f;
    f.inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    f.inst.addProvince(QStringLiteral("O'1"), QStringLiteral("APOSTROFO"), QStringLiteral("AP"));
    QVERIFY(f.open(Database::Mode::StandAlone));
    QCOMPARE(RecuperaDesProv(f.db, f.prompter, QStringLiteral("001")), QStringLiteral("TORINO"));
    QCOMPARE(RecuperaSigProv(f.db, f.prompter, QStringLiteral("001")), QStringLiteral("TO"));
    QCOMPARE(RecuperaDesProv(f.db, f.prompter, QStringLiteral("O'1")), QStringLiteral("APOSTROFO"));
    QCOMPARE(RecuperaDesProv(f.db, f.prompter, QStringLiteral("999")), QString());
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstStore::provinceLookupFailureIsReported()
{
    vx::test::InstalledContext f;
    f.inst.sql(QStringLiteral("DROP VIEW QryComuniProv"));
    f.inst.sql(QStringLiteral("DROP VIEW QryDomande"));
    f.inst.sql(QStringLiteral("DROP TABLE Province"));
    QVERIFY(f.open(Database::Mode::StandAlone));
    f.prompter.expect(QStringLiteral("RecuperaSigProv - 1 - no such table: Province"), QStringLiteral("Errore"),
                      Icon::Critical);
    QCOMPARE(RecuperaSigProv(f.db, f.prompter, QStringLiteral("001")), QString());
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstStore::fixedWidthAndSplit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("element");
    QTest::newRow("longer") << "ABCDEFG" << 4 << "ABCD" << 0 << "ABCDEFG";
    QTest::newRow("shorter") << "A  12" << 7 << "A  12  " << 1 << "12";
    QTest::newRow("empty") << "" << 3 << "   " << 0 << "";
    QTest::newRow("past the end") << "A  B" << 4 << "A  B" << 5 << "";
}

void TstStore::fixedWidthAndSplit()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, fixed);
    QFETCH(int, index);
    QFETCH(QString, element);
    QCOMPARE(fixedWidth(text, width), fixed);
    QCOMPARE(splitElement(text, QStringLiteral("  "), index), element);
}

void TstStore::printedFlagAndOperatorName()
{
    vx::test::InstalledContext f;
    f.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("ENTE DI FORMAZIONE"));
    f.inst.addRequest(5, QStringLiteral("A"), 12, QStringLiteral("001"), 1, true);
    f.inst.addRequest(6, QStringLiteral("A"), 12, QStringLiteral("001"), 2, false);
    QVERIFY(f.open(Database::Mode::Multiutenza));
    QVERIFY(isPrinted(f.db, 5));
    QVERIFY(!isPrinted(f.db, 6));
    QVERIFY(!isPrinted(f.db, 7));
    QCOMPARE(operatorName(f.db, QStringLiteral("A"), 12), QStringLiteral("ENTE DI FORMAZIONE"));
    QCOMPARE(operatorName(f.db, QStringLiteral("B"), 12), QString());
}

void TstStore::windows1252RoundTrip()
{
    const QString text = QStringLiteral("Città € “virgolette” Œ ÿ");
    QCOMPARE(windows1252::decode(windows1252::encode(text)), text);
    QCOMPARE(windows1252::encode(QStringLiteral("€")), QByteArray("\x80"));
    QCOMPARE(windows1252::encode(QStringLiteral("漢")), QByteArray("?"));
    QCOMPARE(windows1252::codeOf(QChar(0x20AC)), 0x80);
}

namespace {
void fastStatementPaths()
{
    QTest::addColumn<FastStatement::Path>("path");
    QTest::newRow("engine") << FastStatement::Path::Best;
    QTest::newRow("portable") << FastStatement::Path::Portable;
}

// A table whose columns have no type, so that what is stored shows how it was bound.
void makeLooseTable(Database& db)
{
    QSqlQuery q = db.query();
    QVERIFY(db.exec(q, QStringLiteral("CREATE TEMP TABLE Sciolta (k INTEGER PRIMARY KEY, a, b)")));
}

// Each row as "k|typeof(a):a|typeof(b):b".
QStringList looseRows(Database& db)
{
    QSqlQuery q = db.query();
    db.exec(q, QStringLiteral("SELECT k, typeof(a), a, typeof(b), b FROM Sciolta ORDER BY k"));
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1|%2:%3|%4:%5")
                    .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                         q.value(4).toString());
    return rows;
}
} // namespace

void TstStore::fastStatementBindsAsTheEngineKeeps_data()
{
    fastStatementPaths();
}

void TstStore::fastStatementBindsAsTheEngineKeeps()
{
    // The same values through either path are stored alike: text as text (an empty one is not
    // null), whole numbers as integers, reals as reals, null as null.
    QFETCH(FastStatement::Path, path);
    TestInstallation inst;
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    makeLooseTable(db);
    {
        FastStatement insert(db, path);
        QVERIFY(insert.prepare(QStringLiteral("INSERT INTO Sciolta (k, a, b) VALUES (?, ?, ?)")));
        QCOMPARE(insert.isNative(), path == FastStatement::Path::Best);
        insert.bindInt(0, 1);
        insert.bindText(1, u"Città € “Œ”");
        insert.bindText(2, QStringView());
        QVERIFY(insert.run());
        QCOMPARE(insert.changes(), 1);
        insert.bindInt(0, 2);
        insert.bindInt(1, 9000000000LL);
        insert.bindDouble(2, 2.5);
        QVERIFY(insert.run());
        // Values stay bound until bound again.
        insert.bindInt(0, 3);
        insert.bindNull(1);
        QVERIFY(insert.run());
        insert.bind(0, QVariant(4));
        insert.bind(1, QVariant(QString()));
        insert.bind(2, QVariant(QStringLiteral("testo")));
        QVERIFY(insert.run());
    }
    QCOMPARE(looseRows(db), (QStringList{"1|text:Città € “Œ”|text:", "2|integer:9000000000|real:2.5",
                                         "3|null:|real:2.5", "4|null:|text:testo"}));

    FastStatement change(db, path);
    QVERIFY(change.prepare(QStringLiteral("UPDATE Sciolta SET b=? WHERE k>?")));
    change.bindText(0, u"x");
    change.bindInt(1, 2);
    QVERIFY(change.run());
    QCOMPARE(change.changes(), 2);
    change.bindInt(1, 10);
    QVERIFY(change.run());
    QCOMPARE(change.changes(), 0);

    FastStatement select(db, path);
    QVERIFY(select.prepare(QStringLiteral("SELECT k, a FROM Sciolta WHERE k<=? ORDER BY k")));
    for (int run = 0; run < 2; ++run) {
        select.bindInt(0, 2);
        QVERIFY(select.run());
        QStringList seen;
        while (select.next())
            seen << select.value(0).toString() + QLatin1Char('=') + select.value(1).toString();
        QCOMPARE(seen, (QStringList{"1=Città € “Œ”", "2=9000000000"}));
    }
}

void TstStore::fastStatementReportsFailures_data()
{
    fastStatementPaths();
}

void TstStore::fastStatementReportsFailures()
{
    // The engine's code and message reach the connection's error, and each run counts as one
    // statement for the fault injection: the second run fails without writing.
    QFETCH(FastStatement::Path, path);
    TestInstallation inst;
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    makeLooseTable(db);

    FastStatement broken(db, path);
    QVERIFY(!broken.prepare(QStringLiteral("INSERT INTO Mancante VALUES (?)")));
    QVERIFY2(db.lastError().description.contains(QLatin1String("Mancante")), qPrintable(db.lastError().description));

    FastStatement insert(db, path);
    QVERIFY(insert.prepare(QStringLiteral("INSERT INTO Sciolta (k, a) VALUES (?, ?)")));
    insert.bindInt(0, 1);
    insert.bindText(1, u"uno");
    QVERIFY(insert.run());
    QVERIFY(db.lastError().isNull());
    QVERIFY(!insert.run());
    QCOMPARE(db.lastError().code(), 19);
    QVERIFY2(db.lastError().description.contains(QLatin1String("UNIQUE constraint failed")),
             qPrintable(db.lastError().description));

    const DbError fault{QStringLiteral("10"), QStringLiteral("guasto provocato")};
    db.failStatement(2, fault);
    insert.bindInt(0, 2);
    QVERIFY(insert.run());
    insert.bindInt(0, 3);
    QVERIFY(!insert.run());
    QVERIFY(db.faultFired());
    QCOMPARE(db.lastError().description, fault.description);
    db.failStatement(0);
    QCOMPARE(looseRows(db), (QStringList{"1|text:uno|null:", "2|text:uno|null:"}));
    QVERIFY(insert.run());
    QCOMPARE(looseRows(db).size(), 3);

    // A row that fails to be read ends the rows as a failure, not as their end.
    FastStatement read(db, path);
    QVERIFY(read.prepare(QStringLiteral("SELECT 1 UNION ALL SELECT abs(?)")));
    read.bindInt(0, std::numeric_limits<qint64>::min());
    QVERIFY(read.run());
    QVERIFY(read.next());
    QVERIFY(!read.failed());
    QVERIFY(!read.next());
    QVERIFY(read.failed());
    QVERIFY2(db.lastError().description.contains(QLatin1String("integer overflow")),
             qPrintable(db.lastError().description));
}

void TstStore::standAloneHoldsTheFile()
{
    TestInstallation inst;
    Database first;
    QVERIFY(first.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    Database second;
    QVERIFY(!second.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    QVERIFY(second.lastOpenWasLocked());
    Database shared;
    QVERIFY(!shared.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QVERIFY(shared.lastOpenWasLocked());
    first.close();
    QVERIFY(second.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
}

void TstStore::holdSurvivesOtherHandles_data()
{
    QTest::addColumn<Database::Mode>("holder");
    QTest::addColumn<Database::Mode>("second");
    QTest::addColumn<Database::Access>("access");
    QTest::addColumn<QByteArray>("expected");
    const auto sa = Database::Mode::StandAlone;
    const auto mu = Database::Mode::Multiutenza;
    const auto rw = Database::Access::ReadWrite;
    const auto ro = Database::Access::ReadOnly;
    QTest::newRow("StandAlone, then StandAlone") << sa << sa << rw << QByteArray("errore 5");
    QTest::newRow("StandAlone, then Multiutenza") << sa << mu << rw << QByteArray("errore 5");
    QTest::newRow("StandAlone, then a reader") << sa << mu << ro << QByteArray("errore 5");
    QTest::newRow("Multiutenza, then StandAlone") << mu << sa << rw << QByteArray("errore 5");
    QTest::newRow("Multiutenza, then Multiutenza") << mu << mu << rw << QByteArray("aperto");
    QTest::newRow("Multiutenza, then a reader") << mu << mu << ro << QByteArray("aperto");
}

void TstStore::holdSurvivesOtherHandles()
{
    QFETCH(Database::Mode, holder);
    QFETCH(Database::Mode, second);
    QFETCH(Database::Access, access);
    QFETCH(QByteArray, expected);
    TestInstallation inst;
    Database first;
    QVERIFY(first.open(QString(), inst.databasePath(), holder));
    // A file dialog, or any other part of the program, opens and closes the same file: the
    // process's POSIX locks on it are gone, the hold is not.
    {
        QFile peek(inst.databasePath());
        QVERIFY(peek.open(QIODevice::ReadOnly));
        QCOMPARE(peek.read(16), QByteArray("SQLite format 3\0", 16));
    }
    QCOMPARE(openInChild(inst.databasePath(), second, access), expected);
    first.close();
    QCOMPARE(openInChild(inst.databasePath(), second, access), QByteArray("aperto"));
}

void TstStore::notOurDatabaseIsNeverWritten_data()
{
    QTest::addColumn<QStringList>("sqlite"); // statements that make a SQLite file; empty: `bytes` as they are
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QStringList() << QByteArray();
    QTest::newRow("text") << QStringList() << QByteArray("Database=solo testo\r\n");
    QTest::newRow("SQLite header only") << QStringList() << QByteArray("SQLite format 3\0", 16);
    QTest::newRow("SQLite, other tables") << QStringList{QStringLiteral("CREATE TABLE Altro (x)")} << QByteArray();
    QTest::newRow("SQLite, Domande without Ruoli")
        << QStringList{QStringLiteral("CREATE TABLE Domande (NumDoma INTEGER)")} << QByteArray();
}

void TstStore::notOurDatabaseIsNeverWritten()
{
    QFETCH(QStringList, sqlite);
    QFETCH(QByteArray, bytes);
    TestInstallation inst;
    const QString path = inst.file(QStringLiteral("altro.db"));
    if (sqlite.isEmpty())
        inst.writeFile(QStringLiteral("altro.db"), bytes);
    else
        makeSqliteFile(path, sqlite);
    const QByteArray before = bytesOf(path);
    const QStringList filesBefore = QDir(inst.folder()).entryList(QDir::Files);
    for (const auto mode : {Database::Mode::StandAlone, Database::Mode::Multiutenza}) {
        for (const auto access : {Database::Access::ReadWrite, Database::Access::ReadOnly}) {
            Database db;
            QVERIFY(!db.open(QString(), path, mode, access));
            QCOMPARE(db.lastError().number, QStringLiteral("26"));
            QCOMPARE(db.lastError().description, QStringLiteral("file is not a database"));
            QVERIFY(db.lastOpenFoundNoDatabase());
            QVERIFY(!db.lastOpenWasLocked());
            QVERIFY(!db.isOpen());
        }
    }
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(QDir(inst.folder()).entryList(QDir::Files), filesBefore);
}

void TstStore::readOnlyFile_data()
{
    QTest::addColumn<bool>("fileWritable");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<QByteArray>("readWrite");
    QTest::addColumn<QByteArray>("readOnly");
    QTest::newRow("file read-only") << false << true << QByteArray("errore 8") << QByteArray("aperto");
    QTest::newRow("folder read-only") << true << false << QByteArray("errore 8") << QByteArray("aperto");
    QTest::newRow("both read-only") << false << false << QByteArray("errore 8") << QByteArray("aperto");
    QTest::newRow("both writable") << true << true << QByteArray("aperto") << QByteArray("aperto");
}

void TstStore::readOnlyFile()
{
    QFETCH(bool, fileWritable);
    QFETCH(bool, folderWritable);
    QFETCH(QByteArray, readWrite);
    QFETCH(QByteArray, readOnly);
    if (!vx::test::canRunUnprivileged())
        QSKIP("root without setpriv: no user here lacks the right to write");
    // Permissions stop neither root nor the owner of a file alone, so the second program runs as
    // a user whom these bits concern: nobody when the test runs as root, the owner otherwise.
    TestInstallation inst;
    const QString path = inst.databasePath();
    const QByteArray before = bytesOf(path);
    const auto readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    const auto enter = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(path, fileWritable ? readable | writable : readable));
    const QString folder = QDir(inst.folder()).absolutePath();
    QVERIFY(QFile::setPermissions(folder, folderWritable ? readable | writable | enter : readable | enter));
    const QByteArray rw = openInChild(path, Database::Mode::StandAlone, Database::Access::ReadWrite, true);
    const QByteArray mu = openInChild(path, Database::Mode::Multiutenza, Database::Access::ReadWrite, true);
    const QByteArray ro = openInChild(path, Database::Mode::StandAlone, Database::Access::ReadOnly, true);
    QFile::setPermissions(folder, readable | writable | enter);
    QFile::setPermissions(path, readable | writable);
    QCOMPARE(rw, readWrite);
    QCOMPARE(mu, readWrite);
    QCOMPARE(ro, readOnly);
    if (!fileWritable)
        QCOMPARE(bytesOf(path), before);
}

void TstStore::providerNames()
{
    QCOMPARE(Database::driverFor(QString()), QStringLiteral("QSQLITE"));
    QCOMPARE(Database::driverFor(QStringLiteral(" QSQLITE ")), QStringLiteral("QSQLITE"));
    QCOMPARE(Database::driverFor(QStringLiteral("Microsoft.Jet.OLEDB.4.0")), QStringLiteral("QSQLITE"));
    QCOMPARE(Database::driverFor(QStringLiteral("microsoft.ace.oledb.12.0")), QStringLiteral("QSQLITE"));
    QCOMPARE(Database::driverFor(QStringLiteral("QNONESISTE")), QStringLiteral("QNONESISTE"));
    TestInstallation inst;
    Database db;
    QVERIFY(db.open(QStringLiteral("Microsoft.Jet.OLEDB.4.0"), inst.databasePath(), Database::Mode::StandAlone));
    db.close();
    QVERIFY(!db.open(QStringLiteral("QNONESISTE"), inst.databasePath(), Database::Mode::StandAlone));
    QCOMPARE(db.lastError().code(), Database::kNoDriver);
    QVERIFY(!db.lastOpenFoundNoDatabase());
    QVERIFY(!db.lastOpenWasLocked());
}

void TstStore::multiutenzaShares()
{
    TestInstallation inst;
    Database a;
    Database b;
    QVERIFY(a.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QVERIFY(b.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QSqlQuery q = a.query();
    QVERIFY(a.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES (?, ?)"),
                   {QStringLiteral("002"), QStringLiteral("ASTI")}));
    ScriptedPrompter prompter;
    QCOMPARE(RecuperaDesProv(b, prompter, QStringLiteral("002")), QStringLiteral("ASTI"));
}

void TstStore::openNeverCreatesAFile()
{
    TestInstallation inst;
    const QString missing = inst.file(QStringLiteral("nuovo #1?.db"));
    Database db;
    QVERIFY(!db.open(QString(), missing, Database::Mode::StandAlone));
    QVERIFY(!QFile::exists(missing));
    QVERIFY(!db.lastOpenWasLocked());
    QVERIFY(!db.open(QStringLiteral("QNONESISTE"), inst.databasePath(), Database::Mode::StandAlone));
    QVERIFY(!db.isOpen());
}

void TstStore::schemaKeepsTheCataloguedOrder()
{
    vx::test::InstalledContext f;
    QVERIFY(f.open(Database::Mode::StandAlone));
    auto columns = [&](const QString& table) {
        QStringList names;
        QSqlQuery q = f.db.query();
        f.db.exec(q, QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
        while (q.next())
            names.append(q.value(0).toString());
        return names;
    };
    const QStringList oper = columns(QStringLiteral("CorsiOper"));
    const QStringList domande = columns(QStringLiteral("Domande"));
    QCOMPARE(oper.size(), 22);
    // CorsiOper column k (from the third) is Domande column k + 3, but for the name.
    QCOMPARE(domande.at(2 + 3), QStringLiteral("DenominazioneOp"));
    for (int k = 3; k < oper.size(); ++k)
        QCOMPARE(domande.at(k + 3), oper.at(k));
    QCOMPARE(domande.mid(25, 3), (QStringList{QStringLiteral("Componente"), QStringLiteral("TipoCompo"),
                                              QStringLiteral("DenominazioneSL")}));
    QCOMPARE(domande.last(), QStringLiteral("DomandaTrasmessa"));
    const QStringList ruoli = columns(QStringLiteral("Ruoli"));
    QCOMPARE(ruoli.size(), 13);
    QCOMPARE(columns(QStringLiteral("RuoliImport")), ruoli);
    QCOMPARE(columns(QStringLiteral("ElaborazioneComplessiva")),
             (QStringList{QStringLiteral("Posizione"), QStringLiteral("NomeFile")}));
    for (const char* view : {"QryDomande", "QryOper", "QryCompo", "QryComuniProv"}) {
        QSqlQuery q = f.db.query();
        QVERIFY2(f.db.exec(q, QStringLiteral("SELECT * FROM %1").arg(QLatin1String(view))), view);
    }
}

void TstStore::rolesIdentityIsUnique()
{
    vx::test::InstalledContext f;
    QVERIFY(f.open(Database::Mode::StandAlone));
    const QString insert = QStringLiteral("INSERT INTO %1 (NumDoma, CodFiscale, GruppoOperatore, CodiceOperatore, "
                                          "Sede, Ruolo) VALUES (1, 'RSSMRA85T10A562S', 'A', 12, 0, 1)");
    for (const char* table : {"Ruoli", "RuoliImport"}) {
        QSqlQuery q = f.db.query();
        QVERIFY(f.db.exec(q, insert.arg(QLatin1String(table))));
    }
    QSqlQuery again = f.db.query();
    QVERIFY(!f.db.exec(again, insert.arg(QStringLiteral("Ruoli"))));
    QCOMPARE(f.db.lastError().number, QStringLiteral("2067")); // SQLITE_CONSTRAINT_UNIQUE
    QVERIFY(f.db.exec(again, insert.arg(QStringLiteral("RuoliImport"))));
}

void TstStore::errorTrapRetriesTheStatement()
{
    ScriptedPrompter prompter;
    AppControl control;
    ErrorTrap trap(prompter, control);
    const DbError failure{QStringLiteral("5"), QStringLiteral("database is locked")};
    const Message expected{QStringLiteral("Errore 5\ndatabase is locked\nLa base dati è occupata da un'altra "
                                          "postazione o da un altro programma: attendere qualche istante e "
                                          "riprovare.\n\nSi è verificato un errore imprevisto,"
                                          "scegliere riprova per ritentare l'operazione."),
                           QStringLiteral("Elimina Domanda"), Icon::Exclamation, Buttons::RetryCancel};
    prompter.expect(expected, Answer::Retry).expect(expected, Answer::Retry);
    int calls = 0;
    QVERIFY(trap.run(QStringLiteral("Elimina Domanda"), [&] { return ++calls < 3 ? failure : DbError(); }));
    QCOMPARE(calls, 3);
    QVERIFY(!control.ended());
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::errorTrapCancelEndsTheProgram()
{
    ScriptedPrompter prompter;
    AppControl control;
    ErrorTrap trap(prompter, control);
    prompter.expect(ErrorTrap::failureMessage(QStringLiteral("Salva"), {QStringLiteral("19"), QStringLiteral("x")}),
                    Answer::Cancel);
    int calls = 0;
    QVERIFY(!trap.run(QStringLiteral("Salva"), [&] {
        ++calls;
        return DbError{QStringLiteral("19"), QStringLiteral("x")};
    }));
    QCOMPARE(calls, 1);
    QVERIFY(control.ended());
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::errorAdvice_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("advice");
    auto row = [](const char* name, const char* number, const char* advice) {
        QTest::newRow(name) << number << advice;
    };
    const QString busy = QStringLiteral("La base dati è occupata da un'altra postazione o da un altro programma: "
                                        "attendere qualche istante e riprovare.");
    const QString io = QStringLiteral("Errore di lettura o scrittura sul disco o sulla rete: verificare il "
                                      "collegamento alla cartella della base dati e riprovare.");
    const QString constraint = QStringLiteral("I dati sono già presenti o non rispettano i vincoli della base dati: "
                                              "controllare i valori inseriti.");
    QTest::newRow("busy") << "5" << busy;
    QTest::newRow("locked") << "6" << busy;
    QTest::newRow("busy, extended") << "261" << busy;
    row("readonly", "8",
        "Non è possibile scrivere nella base dati: verificare i permessi del file e della "
        "sua cartella.");
    QTest::newRow("I/O") << "10" << io;
    QTest::newRow("I/O, short read") << "522" << io;
    row("corrupt", "11",
        "La base dati è danneggiata: ripristinare l'ultimo salvataggio e contattare "
        "l'assistenza tecnica.");
    row("full", "13", "Il disco è pieno: liberare spazio e riprovare.");
    row("cannot open", "14",
        "Impossibile aprire il file della base dati: verificare che esista e che la sua "
        "cartella sia raggiungibile.");
    QTest::newRow("constraint") << "19" << constraint;
    QTest::newRow("unique") << "2067" << constraint;
    row("not a database", "26", "Il file indicato non è una base dati di VELTRANORPX.");
    row("no driver", "-1",
        "Il valore PROVIDER del file VELTRANORPX.INI non indica un driver disponibile: "
        "correggerlo in QSQLITE.");
    row("SQL error: none", "1", "");
}

void TstStore::errorAdvice()
{
    QFETCH(QString, number);
    QFETCH(QString, advice);
    const DbError error{number, QStringLiteral("testo tecnico")};
    QCOMPARE(vx::errorAdvice(error), advice);
    const QString tail = advice.isEmpty() ? QString() : QLatin1Char('\n') + advice;
    QCOMPARE(errorLines(error), QStringLiteral("Errore ") + number + QStringLiteral("\ntesto tecnico") + tail);
    // The shared routines' own report carries the same line.
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("RecuperaDesProv - ") + number + QStringLiteral(" - testo tecnico") + tail,
                    QStringLiteral("Errore"), Icon::Critical);
    reportRoutineFailure(prompter, QStringLiteral("RecuperaDesProv"), error);
    VX_VERIFY_PROMPTS(prompter);
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kOpenVariable))
        return openAsChild(qEnvironmentVariable(kOpenVariable));
    TstStore test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_store.moc"
