// The rotating copies made at the orderly end of a SERVER installation, and the copy of a live
// database they are made with.

#include "ChildProcess.h"
#include "TestInstallation.h"

#include "app/Startup.h"
#include "backup/RotatingCopy.h"
#include "core/AppControl.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QThread>

#include <csignal>
#include <iostream>

using namespace vx;
using vx::test::TestInstallation;

Q_DECLARE_METATYPE(vx::RotationStep)

namespace {
const char* kWriterVariable = "VX_WRITER";
const char* kRotateVariable = "VX_ROTATE";
constexpr int kRowsPerWrite = 400;

QStringList filesMatching(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The provinces stored in the database (or copy) at `path`, in order; "<...>" when it cannot be read.
QStringList provincesIn(const QString& path)
{
    Database db;
    if (!db.open(QString(), path, Database::Mode::Multiutenza, Database::Access::ReadOnly))
        return {QStringLiteral("<") + db.lastError().description + QLatin1Char('>')};
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("SELECT PROV FROM Province ORDER BY PROV")))
        return {QStringLiteral("<") + db.lastError().description + QLatin1Char('>')};
    QStringList rows;
    while (q.next())
        rows.append(q.value(0).toString());
    return rows;
}

QString integrityOf(const QString& path)
{
    Database db;
    if (!db.open(QString(), path, Database::Mode::Multiutenza, Database::Access::ReadOnly))
        return db.lastError().description;
    QSqlQuery q = db.query();
    if (!db.exec(q, QStringLiteral("PRAGMA integrity_check")) || !q.next())
        return db.lastError().description;
    return q.value(0).toString();
}

// Child mode: a workstation that keeps rewriting the database (each write replaces
// kRowsPerWrite long rows with new ones) until the file "<path>.stop" appears, 60 s at most.
int writeUntilStopped(const QString& path)
{
    Database db;
    if (!db.open(QString(), path, Database::Mode::Multiutenza)) {
        std::cout << "errore " << db.lastError().description.toStdString() << std::endl;
        return 1;
    }
    std::cout << "pronto" << std::endl;
    const QString filler(3000, QLatin1Char('x'));
    QDeadlineTimer deadline(60000);
    for (int round = 0; !QFile::exists(path + QStringLiteral(".stop")) && !deadline.hasExpired(); ++round) {
        db.inWriteTransaction([&] {
            QSqlQuery q = db.query();
            if (!db.exec(q, QStringLiteral("DELETE FROM Province")))
                return false;
            for (int i = 0; i < kRowsPerWrite; ++i) {
                if (!db.exec(q, QStringLiteral("INSERT INTO Province (PROV, DESPROV) VALUES (?, ?)"),
                             {QStringLiteral("%1-%2").arg(round).arg(i), filler + QString::number(round)}))
                    return false;
            }
            return true;
        });
    }
    return 0;
}

// Child mode: "<folder>|<database>|<step>": a rotation killed (SIGKILL) when it reaches the step.
int rotateAndDie(const QString& order)
{
    const QStringList parts = order.split(QLatin1Char('|'));
    const int killAt = parts.value(2).toInt();
    makeRotatingCopy(parts.value(0), parts.value(1), [&](RotationStep step) {
        if (int(step) == killAt)
            ::raise(SIGKILL);
    });
    return 0;
}
} // namespace

class TstBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fourEndsCycleTheCopies();
    void markerInAnotherLetterCase();
    void clientInstallationMakesNoCopy();
    void failedCopyKeepsTheMarker();
    void twoMarkersLeftByAStop_data();
    void twoMarkersLeftByAStop();
    void killAtEachStep_data();
    void killAtEachStep();
    void copyWhileAnotherWorkstationWrites();
    void copyThroughTheHoldingConnection();
};

void TstBackup::fourEndsCycleTheCopies()
{
    TestInstallation inst;
    inst.writeIni();
    const QStringList expectedCopy = {QStringLiteral("backup.001"), QStringLiteral("backup.002"),
                                      QStringLiteral("backup.003"), QStringLiteral("backup.001")};
    const QStringList expectedMarker = {QStringLiteral("001.lst"), QStringLiteral("002.lst"), QStringLiteral("003.lst"),
                                        QStringLiteral("001.lst")};
    for (int end = 0; end < 4; ++end) {
        // Each run leaves its trace in the database, so that each copy is of its own end.
        inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES (?)"), {QString::number(end)});
        AppState state = inst.state();
        Database db;
        QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
        {
            AppControl control;
            orderlyEnd(state, db, control);
        }
        QVERIFY(!db.isOpen());
        QCOMPARE(filesMatching(inst.folder(), QStringLiteral("*.lst")), QStringList{expectedMarker[end]});
        QCOMPARE(provincesIn(inst.file(expectedCopy[end])), provincesIn(inst.databasePath()));
        QCOMPARE(integrityOf(inst.file(expectedCopy[end])), QStringLiteral("ok"));
    }
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("backup.*")),
             (QStringList{QStringLiteral("backup.001"), QStringLiteral("backup.002"), QStringLiteral("backup.003")}));
    QCOMPARE(contentOf(inst.file(QStringLiteral("001.lst"))), QByteArray("\"ultimo backup\"\r\n"));
    QVERIFY(filesMatching(inst.folder(), QStringLiteral("*.tmp")).isEmpty());
}

void TstBackup::markerInAnotherLetterCase()
{
    TestInstallation inst;
    inst.writeFile(QStringLiteral("002.LST"), "\"ultimo backup\"\r\n");
    QCOMPARE(nextRotatingCopy(inst.folder()), 3);
    QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("003.lst")});
    QVERIFY(QFile::exists(inst.file(QStringLiteral("backup.003"))));
}

void TstBackup::clientInstallationMakesNoCopy()
{
    TestInstallation inst;
    inst.writeIni({.versione = QStringLiteral("CLIENT")});
    AppState state = inst.state();
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    {
        AppControl control;
        orderlyEnd(state, db, control);
    }
    QVERIFY(!db.isOpen());
    QVERIFY(filesMatching(inst.folder(), QStringLiteral("backup.*")).isEmpty());
    QVERIFY(filesMatching(inst.folder(), QStringLiteral("*.lst")).isEmpty());
}

void TstBackup::failedCopyKeepsTheMarker()
{
    TestInstallation inst;
    QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
    QVERIFY(!makeRotatingCopy(inst.folder(), inst.file(QStringLiteral("manca.db"))));
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("001.lst")});
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("backup.*")), QStringList{QStringLiteral("backup.001")});
}

void TstBackup::twoMarkersLeftByAStop_data()
{
    QTest::addColumn<QStringList>("markers");
    QTest::addColumn<int>("next");
    QTest::newRow("none") << QStringList() << 1;
    QTest::newRow("001 and 002") << QStringList{QStringLiteral("001.lst"), QStringLiteral("002.lst")} << 3;
    QTest::newRow("002 and 003") << QStringList{QStringLiteral("002.lst"), QStringLiteral("003.LST")} << 1;
    QTest::newRow("003 and 001") << QStringList{QStringLiteral("003.lst"), QStringLiteral("001.lst")} << 2;
}

void TstBackup::twoMarkersLeftByAStop()
{
    QFETCH(QStringList, markers);
    QFETCH(int, next);
    TestInstallation inst;
    for (const QString& m : markers)
        inst.writeFile(m, "\"ultimo backup\"\r\n");
    QCOMPARE(nextRotatingCopy(inst.folder()), next);
    QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("00%1.lst").arg(next)});
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("backup.*")),
             QStringList{QStringLiteral("backup.00%1").arg(next)});
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
    const vx::test::ChildRun killed =
        vx::test::runChild(kRotateVariable, inst.folder() + QLatin1Char('|') + inst.databasePath() + QLatin1Char('|') +
                                                QString::number(int(step)));
    QVERIFY(killed.crashed);
    // Whatever the markers left, the one taken as the newest names a whole copy.
    QCOMPARE(nextRotatingCopy(inst.folder()), next);
    const QString newest = inst.file(QStringLiteral("backup.00%1").arg(next - 1));
    QCOMPARE(integrityOf(newest), QStringLiteral("ok"));
    QCOMPARE(provincesIn(newest),
             next == 2 ? QStringList{QStringLiteral("A")} : (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('C')"));
    QVERIFY(makeRotatingCopy(inst.folder(), inst.databasePath()));
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("*.lst")), QStringList{QStringLiteral("00%1.lst").arg(next)});
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.00%1").arg(next))),
             (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    // The oldest copy was never the one overwritten.
    QCOMPARE(provincesIn(inst.file(QStringLiteral("backup.001"))), QStringList{QStringLiteral("A")});
    QVERIFY(filesMatching(inst.folder(), QStringLiteral("*.tmp")).isEmpty());
}

void TstBackup::copyWhileAnotherWorkstationWrites()
{
    TestInstallation inst;
    QProcess writer;
    vx::test::prepareChild(writer, kWriterVariable, inst.databasePath());
    writer.start();
    QVERIFY(writer.waitForStarted());
    QVERIFY(writer.waitForReadyRead(30000));
    QCOMPARE(writer.readLine().trimmed(), QByteArray("pronto"));

    const QString copy = inst.file(QStringLiteral("copia.db"));
    QSet<QString> writesSeen;
    int copies = 0;
    for (QDeadlineTimer deadline(3000); !deadline.hasExpired(); ++copies) {
        DbError error;
        QVERIFY2(copyDatabase(inst.databasePath(), copy, &error), qPrintable(error.description));
        QCOMPARE(integrityOf(copy), QStringLiteral("ok"));
        // A snapshot between two writes: each write replaces all the rows at once.
        const QStringList rows = provincesIn(copy);
        QVERIFY2(rows.size() == 0 || rows.size() == kRowsPerWrite, qPrintable(rows.join(QLatin1Char(' '))));
        if (!rows.isEmpty()) {
            const QString write = rows.first().section(QLatin1Char('-'), 0, 0);
            for (const QString& row : rows)
                QCOMPARE(row.section(QLatin1Char('-'), 0, 0), write);
            writesSeen.insert(write);
        }
    }
    inst.writeFile(QStringLiteral("VELTRANORPX.db.stop"), "");
    QVERIFY(writer.waitForFinished(30000));
    QCOMPARE(writer.exitCode(), 0);
    // The copies were taken while the writes went on.
    QVERIFY2(writesSeen.size() >= 2, qPrintable(QString::number(copies)));
}

void TstBackup::copyThroughTheHoldingConnection()
{
    TestInstallation inst;
    inst.sql(QStringLiteral("INSERT INTO Province (PROV) VALUES ('A')"));
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    const QString copy = inst.file(QStringLiteral("copia.db"));
    inst.writeFile(QStringLiteral("copia.db"), "una copia precedente");
    QVERIFY(db.copyTo(copy));
    db.close();
    QCOMPARE(integrityOf(copy), QStringLiteral("ok"));
    QCOMPARE(provincesIn(copy), QStringList{QStringLiteral("A")});
    // Nothing is copied from a file that is no database, and the target stays as it was.
    inst.writeFile(QStringLiteral("testo.db"), "solo testo");
    DbError error;
    QVERIFY(!copyDatabase(inst.file(QStringLiteral("testo.db")), copy, &error));
    QCOMPARE(error.number, QStringLiteral("26"));
    QCOMPARE(provincesIn(copy), QStringList{QStringLiteral("A")});
    QVERIFY(filesMatching(inst.folder(), QStringLiteral("*.tmp")).isEmpty());
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
