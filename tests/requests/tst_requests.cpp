// The selected Request (loading, persisting, restoring it) and the selection screen's commands.

#include "TestContext.h"

#include "net/Exchange.h"
#include "requests/Messages.h"
#include "requests/RequestCreation.h"
#include "requests/RequestSelection.h"
#include "requests/SelectedRequest.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"
#include "store/Messages.h"

#include <QTest>

using namespace vx;
using vx::test::TestInstallation;

namespace {

// Two operators in province 001: Requests 10, 11 (printed) and 12 of A-12, and 20 of B-7.
struct SelectionFixture : vx::test::InstalledContext {
    RequestSelection selection{ctx};
    OperatorEntry a12{QStringLiteral("A"), 12, QStringLiteral("Operatore 12")};

    explicit SelectionFixture(qint32 selected = 10) : InstalledContext({.numDoma = QString::number(selected)})
    {
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("ISTITUTO"));
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Operatore 12"));
        for (const int number : {10, 11, 12})
            inst.addRequest(number, QStringLiteral("A"), 12, QStringLiteral("001"), number - 9, number == 11);
        inst.addRequest(20, QStringLiteral("B"), 7, QStringLiteral("001"), 1);
        open();
        IniFile ini = inst.ini();
        SalvaVarINI(db, ini, prompter, selected, state.selected);
    }

    QList<RequestRow> rows() { return selection.requests(a12, QStringLiteral("001")); }
    QString iniNumber() const { return inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")); }
    QList<qint32> numbers(const QString& table = QStringLiteral("Domande"))
    {
        QList<qint32> n;
        QSqlQuery q = db.query();
        if (db.exec(q, QStringLiteral("SELECT NumDoma FROM %1 ORDER BY NumDoma").arg(table)))
            while (q.next())
                n.append(q.value(0).toInt());
        return n;
    }
    bool remove(int row, const OperatorEntry& op)
    {
        QList<RequestRow> grid = selection.requests(op, QStringLiteral("001"));
        return selection.deleteRequest(grid, row, op, QStringLiteral("001"));
    }
};

} // namespace

class TstRequests : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void leadingNumber();
    void restoreAndLoad();
    void salvaVarIniReportsFailures();
    void listsAndGrid();
    void selectAndCancel();
    void deleteStops();
    void deleteTheSelectedRequest();
    void deleteConcurrently();
    void runningNumbers();
};

void TstRequests::leadingNumber()
{
    const std::pair<const char*, int> cases[] = {
        {"123", 123}, {"  45xy", 45}, {"-7", -7}, {"abc", 0}, {"99999999999", 0}};
    for (const auto& [text, number] : cases)
        QCOMPARE(vx::leadingNumber(QString::fromLatin1(text)), number);
}

// At start: the INI's Request when there is one, else the only Request, else none. The load fills
// every field (or empties them) and writes the number back to the INI.
void TstRequests::restoreAndLoad()
{
    const std::tuple<const char*, QList<int>, int> cases[] = {
        {"20", {10, 20, 30}, 20}, {"99", {10}, 10}, {"99", {10, 20}, 0}, {"5", {}, 0}};
    for (const auto& [iniNumber, requests, expected] : cases) {
        vx::test::InstalledContext f({.numDoma = QLatin1String(iniNumber)});
        f.inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        for (int n : requests)
            f.inst.addRequest(n, QStringLiteral("B"), 305, QStringLiteral("001"), n + 1, n == 20);
        QVERIFY(f.open(Database::Mode::StandAlone));
        IniFile ini = f.inst.ini();
        f.state.selected.group = QStringLiteral("X");
        SalvaVarINI(f.db, ini, f.prompter, numberToRestore(f.db, QLatin1String(iniNumber)), f.state.selected);
        const SelectedRequest wanted{expected,
                                     QStringLiteral("B"),
                                     305,
                                     QStringLiteral("Operatore 305"),
                                     expected + 1,
                                     QStringLiteral("001"),
                                     QStringLiteral("TORINO"),
                                     expected == 20};
        QCOMPARE(f.state.selected, expected ? wanted : SelectedRequest());
        QCOMPARE(f.inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QString::number(expected));
    }
}

void TstRequests::salvaVarIniReportsFailures()
{
    vx::test::InstalledContext f({.numDoma = QStringLiteral("7")});
    QVERIFY(f.open(Database::Mode::StandAlone));
    // The read fails (as it would with the table gone while the database is open).
    f.db.failStatement(1, {QStringLiteral("1"), QStringLiteral("no such table: Domande")});
    f.prompter.expect(
        {msg::requests::text(msg::requests::Text::SalvaVarIniRoutine) + QStringLiteral(" - 1 - no such table: Domande"),
         QStringLiteral("Errore"), Icon::Critical, Buttons::Ok});
    IniFile ini = f.inst.ini();
    SalvaVarINI(f.db, ini, f.prompter, 12, f.state.selected);
    VX_VERIFY_PROMPTS(f.prompter);
    // The routine ends with its empty result, and the INI keeps the number it had.
    QCOMPARE(f.state.selected, SelectedRequest());
    QCOMPARE(f.inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("7"));
}

void TstRequests::listsAndGrid()
{
    SelectionFixture f(20);
    const QList<OperatorEntry> ops = f.selection.operators();
    QCOMPARE(ops.size(), 2);
    QCOMPARE(ops[0].display(), QStringLiteral("A  12  Operatore 12"));
    QCOMPARE(OperatorEntry::fromDisplay(QStringLiteral("B  7  NOME  CON  SPAZI")).name, "NOME  CON  SPAZI");
    QCOMPARE(f.selection.provinces().value(0).display(), QStringLiteral("001 - TO - TORINO"));
    QCOMPARE(f.selection.initialOperator(ops), 1); // the selected Request's
    QCOMPARE(f.rows(), (QList<RequestRow>{{10, 1, false, false}, {11, 2, true, false}, {12, 3, false, false}}));
    QCOMPARE(f.selection.rowOfSelected(f.rows()), -1);
}

void TstRequests::selectAndCancel()
{
    SelectionFixture f;
    f.prompter.expect(msg::requests::notice(msg::requests::Notice::NoRequestInGrid))
        .expect(msg::requests::notice(msg::requests::Notice::NoRequestHighlighted));
    QVERIFY(!f.selection.select({}, -1));
    QVERIFY(!f.selection.select(f.rows(), -1));
    QVERIFY(f.selection.select(f.rows(), 2));
    QVERIFY(f.selection.cancel()); // a Request is selected: the screen simply closes
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 12);
    QCOMPARE(f.iniNumber(), QStringLiteral("12"));

    SelectionFixture none(0);
    none.prompter.expect(msg::requests::notice(msg::requests::Notice::SelectOrEnd), Answer::Yes)
        .expect(msg::requests::notice(msg::requests::Notice::SelectOrEnd), Answer::No);
    QVERIFY(!none.selection.cancel());
    QVERIFY(none.selection.cancel());
    VX_VERIFY_PROMPTS(none.prompter);
}

void TstRequests::deleteStops()
{
    SelectionFixture f;
    QList<RequestRow> empty;
    f.prompter.expect(msg::requests::notice(msg::requests::Notice::NothingToDelete))
        .expect(msg::requests::notice(msg::requests::Notice::NothingHighlightedToDelete));
    QVERIFY(!f.selection.deleteRequest(empty, -1, f.a12, QStringLiteral("001")));
    QVERIFY(!f.remove(-1, f.a12));
    f.prompter.expect(msg::requests::confirmDelete(12), Answer::Cancel);
    QVERIFY(!f.remove(2, f.a12));
    f.prompter.expect(msg::requests::confirmDelete(11)).expect(msg::requests::printedCannotBeDeleted());
    QVERIFY(!f.remove(1, f.a12));
    f.prompter.expect(msg::requests::confirmDelete(10))
        .expect(msg::requests::notice(msg::requests::Notice::DeletingTheSelected), Answer::Cancel);
    QVERIFY(!f.remove(0, f.a12));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.numbers(), (QList<qint32>{10, 11, 12, 20}));
    QCOMPARE(f.state.selected.number, 10);
}

// The selected Request goes with its persons (another Request's stay), and the grid's first row is
// selected; when none is left, no Request is.
void TstRequests::deleteTheSelectedRequest()
{
    SelectionFixture f(12);
    f.inst.addPerson(12, QStringLiteral("UNO"));
    f.inst.addPerson(10, QStringLiteral("TRE"));
    f.prompter.expect(msg::requests::confirmDelete(12))
        .expect(msg::requests::notice(msg::requests::Notice::DeletingTheSelected));
    QVERIFY(f.remove(2, f.a12));
    f.prompter.expect(msg::requests::confirmDelete(20)); // not the selected one: no question, no change
    QVERIFY(f.remove(0, {QStringLiteral("B"), 7, QStringLiteral("ISTITUTO")}));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.numbers(QStringLiteral("Ruoli")), QList<qint32>{10});
    QCOMPARE(f.numbers(), (QList<qint32>{10, 11}));
    QCOMPARE(f.state.selected.number, 10);
    QCOMPARE(f.iniNumber(), QStringLiteral("10"));

    SelectionFixture last(20);
    last.prompter.expect(msg::requests::confirmDelete(20))
        .expect(msg::requests::notice(msg::requests::Notice::DeletingTheSelected));
    QVERIFY(last.remove(0, {QStringLiteral("B"), 7, QStringLiteral("ISTITUTO")}));
    QCOMPARE(last.state.selected, SelectedRequest());
    QCOMPARE(last.iniNumber(), QStringLiteral("0"));
}

// Another workstation deletes the Request, or prints it, while this grid still shows it.
void TstRequests::deleteConcurrently()
{
    SelectionFixture f(12);
    QList<RequestRow> rows = f.rows();
    f.inst.addPerson(12, QStringLiteral("UNO"));
    f.inst.addPerson(10, QStringLiteral("DUE"));
    f.inst.sql(QStringLiteral("DELETE FROM Domande WHERE NumDoma = 12"));
    f.prompter.expect(msg::requests::confirmDelete(12))
        .expect(msg::requests::notice(msg::requests::Notice::DeletingTheSelected));
    f.prompter.expect(msg::store::notice(msg::store::Notice::AlreadyDeleted));
    QVERIFY(f.selection.deleteRequest(rows, 2, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(f.state.selected.number, 10);
    QCOMPARE(f.numbers(QStringLiteral("Ruoli")), QList<qint32>{10}); // the persons it left behind go too

    rows = f.rows();
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1 WHERE NumDoma = 10"));
    f.prompter.expect(msg::requests::confirmDelete(10))
        .expect(msg::requests::notice(msg::requests::Notice::DeletingTheSelected));
    f.prompter.expect(msg::requests::printedCannotBeDeleted());
    QVERIFY(f.selection.deleteRequest(rows, 0, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.numbers(), (QList<qint32>{10, 11, 20}));
    QCOMPARE(f.numbers(QStringLiteral("Ruoli")), QList<qint32>{10});
}

// One more than the highest left for the operator and province: a deleted last one is reused.
void TstRequests::runningNumbers()
{
    class NoScreens : public CreationScreens {
        void showProgress(const QString&) override {}
        bool askEmail() override { return true; }
        QString alternativeIdentity(const QUrl&) override { return QString(); }
    } screens;
    SelectionFixture f;
    Exchange unused{ExchangeSettings()};
    RequestCreation creation(f.ctx, unused, screens);
    const OperatorEntry b7{QStringLiteral("B"), 7, QStringLiteral("ISTITUTO")};
    const ProvinceEntry asti{QStringLiteral("005"), QStringLiteral("AT"), QStringLiteral("ASTI")};
    QVERIFY(creation.insertRequest(100, b7, asti) && creation.insertRequest(101, b7, asti));
    QVERIFY(creation.insertRequest(102, f.a12, asti));
    f.inst.sql(QStringLiteral("DELETE FROM Domande WHERE NumDoma = 101"));
    QVERIFY(creation.insertRequest(103, b7, asti));
    VX_VERIFY_PROMPTS(f.prompter);
    QSqlQuery q = f.db.query();
    QStringList running;
    QVERIFY(f.db.exec(q, QStringLiteral("SELECT NumDoma, Domanda FROM Domande WHERE PROV = '005' ORDER BY NumDoma")));
    while (q.next())
        running.append(q.value(0).toString() + QLatin1Char(':') + q.value(1).toString());
    QCOMPARE(running, (QStringList{"100:1", "102:1", "103:2"}));
}

QTEST_GUILESS_MAIN(TstRequests)
#include "tst_requests.moc"
