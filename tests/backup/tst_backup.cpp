// The rotating copies made at the orderly end of a SERVER installation.

#include "TestInstallation.h"

#include "app/Startup.h"
#include "backup/RotatingCopy.h"
#include "core/AppControl.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace vx;
using vx::test::IniValues;
using vx::test::TestInstallation;

namespace {
QStringList filesMatching(const QString& folder, const QString& pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TstBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fourEndsCycleTheCopies();
    void markerInAnotherLetterCase();
    void clientInstallationMakesNoCopy();
    void failedCopyKeepsTheMarker();
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
        QCOMPARE(contentOf(inst.file(expectedCopy[end])), contentOf(inst.databasePath()));
    }
    QCOMPARE(filesMatching(inst.folder(), QStringLiteral("backup.*")),
             (QStringList{QStringLiteral("backup.001"), QStringLiteral("backup.002"), QStringLiteral("backup.003")}));
    QCOMPARE(contentOf(inst.file(QStringLiteral("001.lst"))), QByteArray("\"ultimo backup\"\r\n"));
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
    IniValues values;
    values.versione = QStringLiteral("CLIENT");
    inst.writeIni(values);
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

QTEST_GUILESS_MAIN(TstBackup)
#include "tst_backup.moc"
