// The selected Request: loading, persisting and restoring it.

#include "ScriptedPrompter.h"
#include "TestInstallation.h"

#include "requests/SelectedRequest.h"
#include "store/Database.h"

#include <QTest>

using namespace vx;
using vx::test::IniValues;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

class TstRequests : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber_data();
    void leadingNumber();
    void restore_data();
    void restore();
    void loadFillsEveryField();
    void loadOfAMissingRequestEmptiesTheState();
    void salvaVarIniReportsFailures();
};

void TstRequests::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << "123" << 123;
    QTest::newRow("blanks and tail") << "  45xy" << 45;
    QTest::newRow("sign") << "-7" << -7;
    QTest::newRow("letters") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("overflow") << "99999999999" << 0;
}

void TstRequests::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QCOMPARE(vx::leadingNumber(text), expected);
}

void TstRequests::restore_data()
{
    QTest::addColumn<QString>("iniNumber");
    QTest::addColumn<QList<int>>("requests");
    QTest::addColumn<int>("expected");
    QTest::newRow("INI number present") << "20" << QList<int>{10, 20, 30} << 20;
    QTest::newRow("missing, exactly one row") << "99" << QList<int>{10} << 10;
    QTest::newRow("missing, two rows") << "99" << QList<int>{10, 20} << 0;
    QTest::newRow("zero, one row") << "0" << QList<int>{10} << 10;
    QTest::newRow("no rows") << "5" << QList<int>{} << 0;
}

void TstRequests::restore()
{
    QFETCH(QString, iniNumber);
    QFETCH(QList<int>, requests);
    QFETCH(int, expected);
    TestInstallation inst;
    IniValues values;
    values.numDoma = iniNumber;
    inst.writeIni(values);
    int running = 0;
    for (int n : requests)
        inst.addRequest(n, QStringLiteral("A"), 1, QStringLiteral("001"), ++running);
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    const qint32 number = numberToRestore(db, iniNumber);
    QCOMPARE(number, expected);

    ScriptedPrompter prompter;
    IniFile ini = inst.ini();
    SelectedRequest selected;
    SalvaVarINI(db, ini, prompter, number, selected);
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(selected.number, expected);
    QCOMPARE(inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QString::number(expected));
}

void TstRequests::loadFillsEveryField()
{
    TestInstallation inst;
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addRequest(4711, QStringLiteral("B"), 305, QStringLiteral("001"), 2, true);
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    ScriptedPrompter prompter;
    SelectedRequest expected;
    expected.number = 4711;
    expected.group = QStringLiteral("B");
    expected.operatorCode = QStringLiteral("305");
    expected.operatorName = QStringLiteral("Operatore 305");
    expected.runningNumber = 2;
    expected.province = QStringLiteral("001");
    expected.provinceName = QStringLiteral("TORINO");
    expected.printed = true;
    QCOMPARE(loadSelectedRequest(db, prompter, 4711), expected);
    VX_VERIFY_PROMPTS(prompter);
}

void TstRequests::loadOfAMissingRequestEmptiesTheState()
{
    TestInstallation inst;
    inst.writeIni();
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    ScriptedPrompter prompter;
    SelectedRequest selected;
    selected.group = QStringLiteral("A");
    selected.printed = true;
    IniFile ini = inst.ini();
    SalvaVarINI(db, ini, prompter, 0, selected);
    QCOMPARE(selected, SelectedRequest());
    QCOMPARE(selected.operatorCode, QStringLiteral("0"));
    QCOMPARE(inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("0"));
}

void TstRequests::salvaVarIniReportsFailures()
{
    TestInstallation inst;
    inst.writeIni();
    inst.sql(QStringLiteral("DROP VIEW QryDomande"));
    inst.sql(QStringLiteral("DROP TABLE Domande"));
    Database db;
    QVERIFY(db.open(QString(), inst.databasePath(), Database::Mode::StandAlone));
    ScriptedPrompter prompter;
    prompter.expect(QStringLiteral("Errore in 'SalvaVarINI' - 1 - no such table: Domande"), QStringLiteral("Errore"),
                    Icon::Critical);
    SelectedRequest selected;
    IniFile ini = inst.ini();
    SalvaVarINI(db, ini, prompter, 12, selected);
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(selected.number, 12);
    QCOMPARE(selected.group, QString());
}

QTEST_GUILESS_MAIN(TstRequests)
#include "tst_requests.moc"
