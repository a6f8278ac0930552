// The connection and its modes, the shared lookups, and the error trap.

#include "ChildProcess.h"
#include "EngineSkip.h"
#include "ScriptedPrompter.h"
#include "Support.h"
#include "TestContext.h"
#include "TestInstallation.h"

#include "core/AppControl.h"
#include "store/Database.h"
#include "store/ErrorAdvice.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <iostream>

using namespace vx;
using vx::test::readFile;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

Q_DECLARE_METATYPE(vx::Database::Mode)
Q_DECLARE_METATYPE(vx::Database::Access)

namespace {
const char* kOpenVariable = "VX_STORE_OPEN";

// Child mode: opens "<mode>|<rw or ro>|<path, or the database on the suite's server>" as a second
// program would, and prints "aperto" or "errore <number>".
int openAsChild(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char('|'));
    DatabaseTarget target = DatabaseTarget::file(parts.value(2));
    if (TestInstallation::onServer()) {
        target = TestInstallation::serverTarget();
        target.name = parts.value(2);
    }
    Database db;
    const bool ok =
        db.open(target, Database::modeFor(parts.value(0)),
                parts.value(1) == QLatin1String("ro") ? Database::Access::ReadOnly : Database::Access::ReadWrite);
    std::cout << (ok ? std::string("aperto") : "errore " + db.lastError().number.toStdString()) << std::endl;
    return 0;
}

// What a second program gets when it opens `path`.
QByteArray openInChild(const QString& path, Database::Mode mode, Database::Access access, bool unprivileged = false)
{
    const QString order =
        (mode == Database::Mode::StandAlone ? QStringLiteral("StandAlone") : QStringLiteral("Multiutenza")) +
        (access == Database::Access::ReadOnly ? QStringLiteral("|ro|") : QStringLiteral("|rw|")) + path;
    return vx::test::runChild(kOpenVariable, order, unprivileged).output.trimmed();
}

} // namespace

class TstStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nullSafeReads_data();
    void nullSafeReads();
    void lookups();
    void holdSurvivesOtherHandles_data();
    void holdSurvivesOtherHandles();
    void notOurDatabaseIsNeverWritten_data();
    void notOurDatabaseIsNeverWritten();
    void readOnlyFile_data();
    void readOnlyFile();
    void openNeverCreatesAFile();
    void readAfterAnInterruptedWrite();
    void spentJournalCleared_data();
    void spentJournalCleared();
    void liveJournalKept();
    void errorTrap();
};

void TstStore::nullSafeReads_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number"); // -1: the anomaly is told, 0 given
    QTest::newRow("null") << QVariant() << "" << 0;
    QTest::newRow("text unchanged") << QVariant(QStringLiteral(" 17 ")) << " 17 " << 17;
    QTest::newRow("half to even") << QVariant(2.5) << "2.5" << 2;
    QTest::newRow("empty text") << QVariant(QString()) << "" << -1;
    QTest::newRow("letters") << QVariant(QStringLiteral("A12")) << "A12" << -1;
    QTest::newRow("too large") << QVariant(1e12) << "1e+12" << -1;
}

void TstStore::nullSafeReads()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QFETCH(int, number);
    ScriptedPrompter prompter;
    if (number < 0)
        prompter.expect(QStringLiteral("ANOMALIA: parametro non numerico"), QStringLiteral("NonNull_Num"),
                        Icon::Critical);
    QCOMPARE(NonNull(value), text);
    QCOMPARE(NonNull_Num(value, prompter), qMax(number, 0));
    VX_VERIFY_PROMPTS(prompter);
}

void TstStore::lookups()
{
    vx::test::InstalledContext f;
    f.inst.addProvince(QStringLiteral("O'1"), QStringLiteral("APOSTROFO"), QStringLiteral("AP"));
    f.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("ENTE"));
    f.inst.addRequest(5, QStringLiteral("A"), 12, QStringLiteral("O'1"), 1, true);
    f.inst.addRequest(6, QStringLiteral("A"), 12, QStringLiteral("O'1"), 2, false);
    QVERIFY(f.open(Database::Mode::StandAlone));
    QCOMPARE(RecuperaDesProv(f.db, f.prompter, QStringLiteral("O'1")), QStringLiteral("APOSTROFO"));
    QCOMPARE(RecuperaSigProv(f.db, f.prompter, QStringLiteral("O'1")), QStringLiteral("AP"));
    QCOMPARE(RecuperaDesProv(f.db, f.prompter, QStringLiteral("999")), QString());
    QCOMPARE(QList<bool>({isPrinted(f.db, 5), isPrinted(f.db, 6), isPrinted(f.db, 7)}),
             QList<bool>({true, false, false}));
    QCOMPARE(operatorName(f.db, QStringLiteral("A"), 12), QStringLiteral("ENTE"));
    QCOMPARE(fixedWidth(QStringLiteral("ABCDEFG"), 4) + fixedWidth(QStringLiteral("A"), 3), QStringLiteral("ABCDA  "));
    QCOMPARE(splitElement(QStringLiteral("A  12"), QStringLiteral("  "), 1), QStringLiteral("12"));
    // A failing lookup reports itself by name and gives its empty result.
    f.db.failStatement(1);
    f.prompter.expect(QStringLiteral("RecuperaSigProv - 10 - disk I/O error\n") + errorAdvice(DbError::sqlite(10)),
                      QStringLiteral("Errore"), Icon::Critical);
    QCOMPARE(RecuperaSigProv(f.db, f.prompter, QStringLiteral("O'1")), QString());
    VX_VERIFY_PROMPTS(f.prompter);
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
    QTest::newRow("StandAlone, then a reader") << sa << mu << ro << QByteArray("errore 5");
    QTest::newRow("Multiutenza, then StandAlone") << mu << sa << rw << QByteArray("errore 5");
    QTest::newRow("Multiutenza, then Multiutenza") << mu << mu << rw << QByteArray("aperto");
}

void TstStore::holdSurvivesOtherHandles()
{
    QFETCH(Database::Mode, holder);
    QFETCH(Database::Mode, second);
    QFETCH(Database::Access, access);
    QFETCH(QByteArray, expected);
    TestInstallation inst;
    Database first;
    QVERIFY(inst.open(first, holder));
    // Another part of the program opens and closes the same file: the process's POSIX locks on
    // it are gone, the hold is not. On a server the hold is the session's advisory lock.
    QCOMPARE(readFile(inst.databasePath()).left(6), QByteArray("SQLite"));
    const QString where = TestInstallation::onServer() ? inst.target().name : inst.databasePath();
    QCOMPARE(openInChild(where, second, access), expected);
    first.close();
    QCOMPARE(openInChild(where, second, access), QByteArray("aperto"));
}

void TstStore::notOurDatabaseIsNeverWritten_data()
{
    QTest::addColumn<QStringList>("sqlite"); // statements that make a SQLite file; empty: `bytes` as they are
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty file") << QStringList() << QByteArray();
    QTest::newRow("SQLite header only") << QStringList() << QByteArray("SQLite format 3\0", 16);
    QTest::newRow("SQLite, Domande without Ruoli")
        << QStringList{"CREATE TABLE Domande (NumDoma INTEGER)"} << QByteArray();
}

void TstStore::notOurDatabaseIsNeverWritten()
{
    VX_SQLITE_FILE_ONLY("the header and tables of a file");
    QFETCH(QStringList, sqlite);
    QFETCH(QByteArray, bytes);
    TestInstallation inst;
    const QString path = inst.file(QStringLiteral("altro.db"));
    inst.writeFile(QStringLiteral("altro.db"), bytes);
    if (!sqlite.isEmpty()) {
        QFile::remove(path);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("altro"));
        db.setDatabaseName(path);
        QVERIFY(db.open() && QSqlQuery(db).exec(sqlite.first()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("altro"));
    const QByteArray before = readFile(path);
    const QStringList filesBefore = QDir(inst.folder()).entryList(QDir::Files);
    for (const auto mode : {Database::Mode::StandAlone, Database::Mode::Multiutenza}) {
        for (const auto access : {Database::Access::ReadWrite, Database::Access::ReadOnly}) {
            Database db;
            QVERIFY(!db.open(QString(), path, mode, access));
            QCOMPARE(db.lastError().number, QStringLiteral("26"));
            QVERIFY(db.lastOpenFoundNoDatabase() && !db.lastOpenWasLocked() && !db.isOpen());
        }
    }
    QCOMPARE(readFile(path), before);
    QCOMPARE(QDir(inst.folder()).entryList(QDir::Files), filesBefore);
}

void TstStore::readOnlyFile_data()
{
    QTest::addColumn<bool>("fileWritable");
    QTest::addColumn<bool>("folderWritable");
    QTest::newRow("file read-only") << false << true;
    QTest::newRow("folder read-only") << true << false;
    QTest::newRow("both writable") << true << true;
}

void TstStore::readOnlyFile()
{
    VX_SQLITE_FILE_ONLY("the file's permission bits");
    QFETCH(bool, fileWritable);
    QFETCH(bool, folderWritable);
    if (!vx::test::canRunUnprivileged())
        QSKIP(vx::test::kNoUnprivilegedUser);
    // Permissions stop neither root nor the owner of a file alone, so the second program runs as
    // a user whom these bits concern: nobody when the test runs as root, the owner otherwise.
    TestInstallation inst;
    const QString path = inst.databasePath();
    const QByteArray before = readFile(path);
    const auto r = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    const auto w = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    const auto x = QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(path, fileWritable ? r | w : r));
    const QString folder = QDir(inst.folder()).absolutePath();
    QVERIFY(QFile::setPermissions(folder, folderWritable ? r | w | x : r | x));
    const QByteArray rw = openInChild(path, Database::Mode::StandAlone, Database::Access::ReadWrite, true);
    const QByteArray mu = openInChild(path, Database::Mode::Multiutenza, Database::Access::ReadWrite, true);
    const QByteArray ro = openInChild(path, Database::Mode::StandAlone, Database::Access::ReadOnly, true);
    QFile::setPermissions(folder, r | w | x);
    QFile::setPermissions(path, r | w);
    const QByteArray writable = fileWritable && folderWritable ? "aperto" : "errore 8";
    QCOMPARE(rw + ' ' + mu + ' ' + ro, writable + ' ' + writable + " aperto");
    QCOMPARE(readFile(path), before);
}

void TstStore::openNeverCreatesAFile()
{
    VX_SQLITE_FILE_ONLY("a file that is not there");
    TestInstallation inst;
    const QString missing = inst.file(QStringLiteral("nuovo #1?.db"));
    Database db;
    QVERIFY(!db.open(QString(), missing, Database::Mode::StandAlone));
    QVERIFY(!QFile::exists(missing) && !db.lastOpenWasLocked());
    QVERIFY(!db.open(QStringLiteral("QNONESISTE"), inst.databasePath(), Database::Mode::StandAlone));
    QCOMPARE(db.lastError().code(), Database::kNoDriver);
    QVERIFY(db.open(QStringLiteral("Microsoft.Jet.OLEDB.4.0"), inst.databasePath(), Database::Mode::StandAlone));
}

void TstStore::readAfterAnInterruptedWrite()
{
    VX_SQLITE_FILE_ONLY("the journal a crash leaves beside the file");
    // A write stopped by a crash leaves its journal: a reader finds the database as it was before
    // that write, and the journal is gone.
    TestInstallation inst;
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    const QString crashed = inst.file(QStringLiteral("crash.db"));
    {
        Database writer;
        QVERIFY(writer.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
        QSqlQuery q = writer.query();
        // A small cache spills the changes into the file before the end of the transaction.
        QVERIFY(writer.exec(q, QStringLiteral("PRAGMA cache_size=5")) && writer.exec(q, "BEGIN IMMEDIATE"));
        for (int i = 0; i < 500; ++i)
            QVERIFY(writer.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES (?, ?)"),
                                {QString::number(1000 + i), QString(300, QLatin1Char('x'))}));
        // What a crash now leaves on disk.
        QVERIFY(QFile::copy(inst.databasePath(), crashed));
        QVERIFY(QFile::copy(inst.databasePath() + QStringLiteral("-journal"), crashed + QStringLiteral("-journal")));
    }
    Database reader;
    QVERIFY2(reader.open(QString(), crashed, Database::Mode::Multiutenza, Database::Access::ReadOnly),
             qPrintable(errorLines(reader.lastError())));
    QCOMPARE(vx::test::dumpOf(reader).value(QStringLiteral("Province")), QStringList{"001|TORINO|TO|<null>"});
    QVERIFY(!QFile::exists(crashed + QStringLiteral("-journal")));
}

void TstStore::spentJournalCleared_data()
{
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("readOnly");
    const QByteArray zeroed(512, '\0');
    QTest::newRow("zeroed header, stand-alone") << zeroed << int(Database::Mode::StandAlone) << false;
    QTest::newRow("zeroed header, shared") << zeroed << int(Database::Mode::Multiutenza) << false;
    QTest::newRow("zeroed header, read-only") << zeroed << int(Database::Mode::Multiutenza) << true;
    QTest::newRow("empty, shared") << QByteArray() << int(Database::Mode::Multiutenza) << false;
}

void TstStore::spentJournalCleared()
{
    VX_SQLITE_FILE_ONLY("the journal a killed program leaves beside the file");
    // A program killed after a commit in exclusive mode leaves the journal with its header zeroed:
    // the next opening removes it, and the database is as it was.
    QFETCH(QByteArray, journal);
    QFETCH(int, mode);
    QFETCH(bool, readOnly);
    TestInstallation inst;
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    const QString journalPath = inst.databasePath() + QStringLiteral("-journal");
    {
        QFile f(journalPath);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(journal) == journal.size());
    }
    Database db;
    QVERIFY2(db.open(QString(), inst.databasePath(), Database::Mode(mode),
                     readOnly ? Database::Access::ReadOnly : Database::Access::ReadWrite),
             qPrintable(errorLines(db.lastError())));
    QVERIFY(!QFile::exists(journalPath));
    QCOMPARE(vx::test::dumpOf(db).value(QStringLiteral("Province")), QStringList{"001|TORINO|TO|<null>"});
}

void TstStore::liveJournalKept()
{
    VX_SQLITE_FILE_ONLY("another workstation's journal beside the file");
    // Another workstation in the middle of a write: its journal is never touched, and its write
    // ends as it would have.
    TestInstallation inst;
    Database writer;
    QVERIFY(writer.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    QSqlQuery q = writer.query();
    QVERIFY(writer.exec(q, QStringLiteral("BEGIN IMMEDIATE")));
    QVERIFY(writer.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES ('002', 'ASTI')")));
    const QString journalPath = inst.databasePath() + QStringLiteral("-journal");
    QVERIFY(QFile::exists(journalPath));
    // Its header as it may be for a moment while it is written.
    {
        QFile f(journalPath);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.write(QByteArray(1, '\0')) == 1);
    }
    Database other;
    QVERIFY2(other.open(QString(), inst.databasePath(), Database::Mode::Multiutenza),
             qPrintable(errorLines(other.lastError())));
    QVERIFY(QFile::exists(journalPath));
    QVERIFY(writer.exec(q, QStringLiteral("COMMIT")));
    QCOMPARE(vx::test::dumpOf(other).value(QStringLiteral("Province")), QStringList{"002|ASTI|<null>|<null>"});
}

void TstStore::errorTrap()
{
    // Retry runs the failing statement again; Cancel ends the program.
    ScriptedPrompter prompter;
    AppControl control;
    ErrorTrap trap(prompter, control);
    const DbError busy{QStringLiteral("5"), QStringLiteral("database is locked")};
    const Message failed = ErrorTrap::failureMessage(QStringLiteral("Elimina Domanda"), busy);
    prompter.expect(failed, Answer::Retry).expect(failed, Answer::Cancel);
    int calls = 0;
    QVERIFY(trap.run(QStringLiteral("Elimina Domanda"), [&] { return ++calls < 2 ? busy : DbError(); }));
    QVERIFY(!control.ended());
    QVERIFY(!trap.run(QStringLiteral("Elimina Domanda"), [&] { return ++calls ? busy : DbError(); }));
    QCOMPARE(calls, 3);
    QVERIFY(control.ended());
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(failed.text, QStringLiteral("Errore 5\ndatabase is locked\n") + errorAdvice(busy) +
                              QStringLiteral("\n\nSi è verificato un errore imprevisto,scegliere riprova per "
                                             "ritentare l'operazione."));
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
