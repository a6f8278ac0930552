// The rotating copies made at the orderly end of a SERVER installation, and the copy of a live
// database they are made with: whole and of one moment even while another workstation writes,
// and a stop at any step leaves a marker that names a whole copy.

#include "ChildProcess.h"
#include "Support.h"
#include "TestInstallation.h"

#include "backup/RotatingCopy.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <csignal>
#include <iostream>

using namespace vx;
using vx::test::dumpOf;
using vx::test::TestInstallation;

Q_DECLARE_METATYPE(vx::RotationStep)

namespace {
const char* kWriterVariable = "VX_WRITER";
const char* kRotateVariable = "VX_ROTATE";
constexpr int kRowsPerWrite = 400;

QStringList files(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

// The provinces of the database or copy at `path`, as "PROV|DESPROV|SIGPROV|Regione" rows.
QStringList provincesIn(const QString& path)
{
    return dumpOf(path).value(QStringLiteral("Province"), {QStringLiteral("<illeggibile>")});
}

QStringList provinces(std::initializer_list<const char*> codes)
{
    QStringList rows;
    for (const char* code : codes)
        rows.append(QLatin1String(code) + QStringLiteral("|<null>|<null>|<null>"));
    return rows;
}

// Child mode: a workstation that keeps rewriting the database (each write replaces
// kRowsPerWrite long rows with new ones) until the file "<path>.stop" appears, 60 s at most.
int writeUntilStopped(const QString& path)
{
    Database db;
    if (!db.open(QString(), path, Database::Mode::Multiutenza))
        return 1;
    std::cout << "pronto" << std::endl;
    const QString filler(3000, QLatin1Char('x'));
    QDeadlineTimer deadline(60000);
    for (int round = 0; !QFile::exists(path + QStringLiteral(".stop")) && !deadline.hasExpired(); ++round) {
        db.inWriteTransaction([&] {
            QSqlQuery q = db.query();
            bool ok = db.exec(q, QStringLiteral("DELETE FROM Province"));
            for (int i = 0; ok && i < kRowsPerWrite; ++i)
                ok = db.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES (?, ?)"),
                             {QStringLiteral("%1-%2").arg(round).arg(i), filler});
            return ok;
        });
    }
    return 0;
}

// Child mode: "<folder>|<database>|<step>": a rotation killed (SIGKILL) when it reaches the step.
int rotateAndDie(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char('|'));
    makeRotatingCopy(parts.value(0), parts.value(1), [&](RotationStep step) {
        if (int(step) == parts.value(2).toInt())
            ::raise(SIGKILL);
    });
    return 0;
}
} // namespace

class TstBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fourEndsCycleTheCopies();
    void failedCopyKeepsTheMarker();
    void markersLeftBefore();
    void killAtEachStep_data();
    void killAtEachStep();
    void copyWhileAnotherWorkstationWrites();
};

void TstBackup::fourEndsCycleTheCopies()
{
    TestInstallation inst;
    const char* expected[] = {"001", "002", "003", "001"};
    for (int end = 0; end < 4; ++end) {
        // Each run leaves its trace in the database, so that each copy is of its own end.
        inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES (?)"), {QString::number(end)});
        QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
        QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{QLatin1String(expected[end]) + ".lst"});
        const QString copy = inst.file(QStringLiteral("backup.") + QLatin1String(expected[end]));
        QVERIFY(isWholeDatabase(copy));
        QCOMPARE(dumpOf(copy), dumpOf(inst.databasePath()));
    }
    QCOMPARE(files(inst.folder(), QStringLiteral("backup.*")), (QStringList{"backup.001", "backup.002", "backup.003"}));
    QCOMPARE(vx::test::readFile(inst.file(QStringLiteral("001.lst"))), QByteArray("\"ultimo backup\"\r\n"));
    QVERIFY(files(inst.folder(), QStringLiteral("*.tmp")).isEmpty());
}

void TstBackup::failedCopyKeepsTheMarker()
{
    TestInstallation inst;
    QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
    QVERIFY(!makeRotatingCopy(inst.folder(), inst.file(QStringLiteral("manca.db"))));
    QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{"001.lst"});
    QCOMPARE(files(inst.folder(), QStringLiteral("backup.*")), QStringList{"backup.001"});
}

void TstBackup::markersLeftBefore()
{
    // A marker in another letter case; two markers, left by a stop between writing the new one
    // and removing the old: the newer follows the other in the cycle.
    for (const auto& [markers, next] : {std::pair{QStringList{"002.LST"}, 3}, {QStringList{"003.lst", "001.lst"}, 2}}) {
        TestInstallation inst;
        for (const QString& m : markers)
            inst.writeFile(m, "\"ultimo backup\"\r\n");
        QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
        QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("00%1.lst").arg(next)});
        QCOMPARE(files(inst.folder(), QStringLiteral("backup.*")),
                 QStringList{QStringLiteral("backup.00%1").arg(next)});
    }
}

void TstBackup::killAtEachStep_data()
{
    QTest::addColumn<RotationStep>("step");
    QTest::addColumn<int>("next"); // the copy the end after the killed one writes
    QTest::newRow("before the copy") << RotationStep::Started << 2;
    QTest::newRow("copy in place") << RotationStep::CopyInPlace << 2;
    QTest::newRow("new marker written") << RotationStep::MarkerWritten << 3;
    QTest::newRow("old marker removed") << RotationStep::Done << 3;
}

void TstBackup::killAtEachStep()
{
    QFETCH(RotationStep, step);
    QFETCH(int, next);
    TestInstallation inst;
    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('A')"));
    QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('B')"));
    QVERIFY(vx::test::runChild(kRotateVariable,
                               inst.folder() + '|' + inst.databasePath() + '|' + QString::number(int(step)))
                .crashed);
    // Whatever the markers left, the one taken as the newest names a whole copy.
    QCOMPARE(nextRotatingCopy(inst.folder()), next);
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.00%1").arg(next - 1))),
             next == 2 ? provinces({"A"}) : provinces({"A", "B"}));
    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('C')"));
    QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
    QCOMPARE(files(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("00%1.lst").arg(next)});
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.00%1").arg(next))), provinces({"A", "B", "C"}));
    // The oldest copy was never the one overwritten.
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.001"))), provinces({"A"}));
    QVERIFY(files(inst.folder(), QStringLiteral("*.tmp")).isEmpty());
}

void TstBackup::copyWhileAnotherWorkstationWrites()
{
    TestInstallation inst;
    QProcess writer;
    vx::test::prepareChild(writer, kWriterVariable, inst.databasePath());
    writer.start();
    QVERIFY(writer.waitForStarted() && writer.waitForReadyRead(30000));
    QCOMPARE(writer.readLine().trimmed(), QByteArray("pronto"));
    const QString copy = inst.file(QStringLiteral("copia.db"));
    QSet<QString> writesSeen;
    for (QDeadlineTimer deadline(3000); !deadline.hasExpired();) {
        DbError error;
        QVERIFY2(copyDatabase(inst.databasePath(), copy, &error), qPrintable(error.description));
        QVERIFY(isWholeDatabase(copy));
        // A snapshot between two writes: each write replaces all the rows at once.
        const QStringList rows = provincesIn(copy);
        QVERIFY2(rows.size() == 0 || rows.size() == kRowsPerWrite, qPrintable(QString::number(rows.size())));
        QSet<QString> writes;
        for (const QString& row : rows)
            writes.insert(row.section(QLatin1Char('-'), 0, 0));
        QVERIFY(writes.size() <= 1);
        writesSeen += writes;
    }
    inst.writeFile(QStringLiteral("VELTRANORPX.db.stop"), "");
    QVERIFY(writer.waitForFinished(30000));
    QCOMPARE(writer.exitCode(), 0);
    QVERIFY2(writesSeen.size() >= 2, "the copies were taken while the writes went on");
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kWriterVariable))
        return writeUntilStopped(qEnvironmentVariable(kWriterVariable));
    if (qEnvironmentVariableIsSet(kRotateVariable))
        return rotateAndDie(qEnvironmentVariable(kRotateVariable));
    TstBackup test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backup.moc"
