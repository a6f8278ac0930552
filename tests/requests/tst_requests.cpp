// The selected Request: loading, persisting and restoring it.

#include "TestContext.h"

#include "requests/RequestCreation.h"
#include "requests/RequestSelection.h"
#include "requests/SelectedRequest.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"
#include "net/Exchange.h"

#include <QTest>

using namespace vx;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

namespace {

// An installation with two operators, province 001 and Requests 10, 11 and 12 of operator A 12
// (11 printed) and 20 of operator B 7.
struct SelectionFixture : vx::test::InstalledContext {
    RequestSelection selection{ctx};
    OperatorEntry a12{QStringLiteral("A"), 12, QStringLiteral("Operatore 12")};

    explicit SelectionFixture(qint32 selected = 10) : InstalledContext({.numDoma = QString::number(selected)})
    {
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.addProvince(QStringLiteral("005"), QStringLiteral("ASTI"), QStringLiteral("AT"));
        inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("ISTITUTO"));
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("Operatore 12"));
        inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
        inst.addRequest(11, QStringLiteral("A"), 12, QStringLiteral("001"), 2, true);
        inst.addRequest(12, QStringLiteral("A"), 12, QStringLiteral("001"), 3);
        inst.addRequest(20, QStringLiteral("B"), 7, QStringLiteral("001"), 1);
        open();
        IniFile ini = inst.ini();
        SalvaVarINI(db, ini, prompter, selected, state.selected);
    }

    QList<RequestRow> rows() { return selection.requests(a12, QStringLiteral("001")); }
    QString iniNumber() const { return inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")); }
    // The Requests' numbers of the stored persons, in order.
    QList<qint32> personsOf()
    {
        QList<qint32> n;
        QSqlQuery q = db.query();
        if (db.exec(q, QStringLiteral("SELECT NumDoma FROM Ruoli ORDER BY NumDoma, CodFiscale"))) {
            while (q.next())
                n.append(q.value(0).toInt());
        }
        return n;
    }
    QList<qint32> numbers()
    {
        QList<qint32> n;
        for (const RequestRow& r : rows())
            n.append(r.number);
        return n;
    }
};

const QString kDeleteTitle = QStringLiteral("Elimina Domanda");

Message confirmDelete(int number)
{
    return {QStringLiteral("Confermi la cancellazione della domanda n. %1 ?").arg(number),
            QStringLiteral("VELTRANORPX"), Icon::Information, Buttons::OkCancel};
}

const Message kPrinted{QStringLiteral("Domanda già stampata in definitivo. Non è possibile cancellarla"), kDeleteTitle,
                       Icon::Critical, Buttons::Ok};

const Message kDeleteSelected{QStringLiteral("Si sta cercando di cancellare la domanda attualmente selezionata.\n"
                                             "Se si procede verrà selezionata automaticamente un'altra domanda per lo "
                                             "stesso operatore.\nContinuare?"),
                              QStringLiteral("Elimina Proposta"), Icon::Exclamation, Buttons::OkCancel};

} // namespace

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

    void listsAndGrid();
    void selectMessages();
    void cancelWithNoRequestSelected();
    void deleteStops_data();
    void deleteStops();
    void deleteTheSelectedRequest();
    void deleteTheLastRequest();
    void deleteARowGoneAlready();
    void deleteOfARequestPrintedMeanwhile();
    void deleteIsAllOrNothing();
    void runningNumbers();
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
    inst.writeIni({.numDoma = iniNumber});
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
    vx::test::InstalledContext f;
    f.inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    f.inst.addRequest(4711, QStringLiteral("B"), 305, QStringLiteral("001"), 2, true);
    QVERIFY(f.open(Database::Mode::StandAlone));
    const SelectedRequest expected{4711,
                                   QStringLiteral("B"),
                                   305,
                                   QStringLiteral("Operatore 305"),
                                   2,
                                   QStringLiteral("001"),
                                   QStringLiteral("TORINO"),
                                   true};
    QCOMPARE(loadSelectedRequest(f.db, f.prompter, 4711), expected);
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstRequests::loadOfAMissingRequestEmptiesTheState()
{
    vx::test::InstalledContext f;
    QVERIFY(f.open(Database::Mode::StandAlone));
    SelectedRequest selected;
    selected.group = QStringLiteral("A");
    selected.printed = true;
    IniFile ini = f.inst.ini();
    SalvaVarINI(f.db, ini, f.prompter, 0, selected);
    QCOMPARE(selected, SelectedRequest());
    QCOMPARE(f.inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("0"));
}

void TstRequests::salvaVarIniReportsFailures()
{
    vx::test::InstalledContext f({.numDoma = QStringLiteral("7")});
    QVERIFY(f.open(Database::Mode::StandAlone));
    // A file without Domande is refused at opening; here the table goes while the file is open.
    QSqlQuery drop = f.db.query();
    QVERIFY(f.db.exec(drop, QStringLiteral("DROP VIEW QryDomande")));
    QVERIFY(f.db.exec(drop, QStringLiteral("DROP TABLE Domande")));
    f.prompter.expect(QStringLiteral("Errore in 'SalvaVarINI' - 1 - no such table: Domande"), QStringLiteral("Errore"),
                      Icon::Critical);
    SelectedRequest selected;
    IniFile ini = f.inst.ini();
    SalvaVarINI(f.db, ini, f.prompter, 12, selected);
    VX_VERIFY_PROMPTS(f.prompter);
    // The routine ends with its empty result, and the INI keeps the number it had.
    QCOMPARE(selected, SelectedRequest());
    QCOMPARE(f.inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("7"));
}

void TstRequests::listsAndGrid()
{
    SelectionFixture f;
    const QList<OperatorEntry> ops = f.selection.operators();
    QCOMPARE(ops.size(), 2);
    QCOMPARE(ops[0].display(), QStringLiteral("A  12  Operatore 12"));
    QCOMPARE(OperatorEntry::fromDisplay(ops[0].display()), ops[0]);
    QCOMPARE(OperatorEntry::fromDisplay(QStringLiteral("B  7  NOME  CON  SPAZI")).name,
             QStringLiteral("NOME  CON  SPAZI"));
    const QList<ProvinceEntry> provinces = f.selection.provinces();
    QCOMPARE(provinces.size(), 1);
    QCOMPARE(provinces[0].display(), QStringLiteral("001 - TO - TORINO"));
    QCOMPARE(f.selection.initialOperator(ops), 0);
    QCOMPARE(f.selection.initialProvince(provinces), 0);
    QCOMPARE(f.numbers(), (QList<qint32>{10, 11, 12}));
    QCOMPARE(f.rows()[1], (RequestRow{11, 2, true, false}));
    QCOMPARE(f.selection.rowOfSelected(f.rows()), 0);

    SelectionFixture other(20);
    QCOMPARE(other.selection.initialOperator(other.selection.operators()), 1);
    SelectionFixture none(0);
    QCOMPARE(none.selection.rowOfSelected(none.rows()), -1);
}

void TstRequests::selectMessages()
{
    SelectionFixture f;
    f.prompter
        .expect(QStringLiteral("E' necessario inserire una domanda"), QStringLiteral("Selezione Domanda"),
                Icon::Critical)
        .expect(QStringLiteral("E' necessario selezionare una domanda"), QStringLiteral("Selezione Domanda"),
                Icon::Critical);
    QVERIFY(!f.selection.select({}, -1));
    QVERIFY(!f.selection.select(f.rows(), -1));
    QVERIFY(f.selection.select(f.rows(), 2));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 12);
    QCOMPARE(f.iniNumber(), QStringLiteral("12"));
}

void TstRequests::cancelWithNoRequestSelected()
{
    SelectionFixture selected;
    QVERIFY(selected.selection.cancel());
    VX_VERIFY_PROMPTS(selected.prompter);

    SelectionFixture f(0);
    const Message question{QStringLiteral("E' necessario selezionare una domanda. Premere SI' per selezionarla ora "
                                          "oppure NO per terminare l'applicativo"),
                           QStringLiteral("Selezione Domanda"), Icon::Exclamation, Buttons::YesNo};
    f.prompter.expect(question, Answer::Yes).expect(question, Answer::No);
    QVERIFY(!f.selection.cancel());
    QVERIFY(f.selection.cancel());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.state.selected.number, 0);
}

void TstRequests::deleteStops_data()
{
    QTest::addColumn<bool>("emptyGrid");
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<Message>>("messages");
    QTest::addColumn<QList<int>>("answers");
    const Message noRows{QStringLiteral("Nessuna riga da eliminare."), kDeleteTitle, Icon::Information, Buttons::Ok};
    const Message noneHighlighted{QStringLiteral("Selezionare una domanda da eliminare."), kDeleteTitle,
                                  Icon::Information, Buttons::Ok};
    QTest::newRow("empty grid") << true << -1 << QList<Message>{noRows} << QList<int>{int(Answer::Ok)};
    QTest::newRow("nothing highlighted") << false << -1 << QList<Message>{noneHighlighted}
                                         << QList<int>{int(Answer::Ok)};
    QTest::newRow("confirmation cancelled")
        << false << 2 << QList<Message>{confirmDelete(12)} << QList<int>{int(Answer::Cancel)};
    QTest::newRow("printed") << false << 1 << QList<Message>{confirmDelete(11), kPrinted}
                             << QList<int>{int(Answer::Ok), int(Answer::Ok)};
    QTest::newRow("selected, cancelled") << false << 0 << QList<Message>{confirmDelete(10), kDeleteSelected}
                                         << QList<int>{int(Answer::Ok), int(Answer::Cancel)};
}

void TstRequests::deleteStops()
{
    QFETCH(bool, emptyGrid);
    QFETCH(int, row);
    QFETCH(QList<Message>, messages);
    QFETCH(QList<int>, answers);
    SelectionFixture f;
    for (int i = 0; i < messages.size(); ++i)
        f.prompter.expect(messages[i], Answer(answers[i]));
    QList<RequestRow> rows = emptyGrid ? QList<RequestRow>() : f.rows();
    QVERIFY(!f.selection.deleteRequest(rows, row, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.numbers(), (QList<qint32>{10, 11, 12}));
    QCOMPARE(f.state.selected.number, 10);
}

void TstRequests::deleteTheSelectedRequest()
{
    SelectionFixture f(12);
    f.inst.addPerson(12, QStringLiteral("UNO"));
    f.inst.addPerson(12, QStringLiteral("DUE"));
    f.inst.addPerson(10, QStringLiteral("TRE"));
    f.prompter.expect(confirmDelete(12), Answer::Ok).expect(kDeleteSelected, Answer::Ok);
    QList<RequestRow> rows = f.rows();
    QVERIFY(f.selection.deleteRequest(rows, 2, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(rows.size(), 2);
    // Its persons went with it; another Request's stay.
    QCOMPARE(f.personsOf(), QList<qint32>{10});
    // The grid's current row after the refresh is its first.
    QCOMPARE(f.state.selected.number, 10);
    QCOMPARE(f.iniNumber(), QStringLiteral("10"));

    // Deleting another Request leaves the selection alone.
    f.prompter.expect(confirmDelete(11), Answer::Ok);
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 0 WHERE NumDoma = 11"));
    rows = f.rows();
    QVERIFY(f.selection.deleteRequest(rows, 1, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.numbers(), QList<qint32>{10});
    QCOMPARE(f.state.selected.number, 10);
}

void TstRequests::deleteTheLastRequest()
{
    SelectionFixture f(20);
    const OperatorEntry b7{QStringLiteral("B"), 7, QStringLiteral("ISTITUTO")};
    QList<RequestRow> rows = f.selection.requests(b7, QStringLiteral("001"));
    f.prompter.expect(confirmDelete(20), Answer::Ok).expect(kDeleteSelected, Answer::Ok);
    QVERIFY(f.selection.deleteRequest(rows, 0, b7, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(rows.isEmpty());
    QCOMPARE(f.state.selected.number, 0);
    QCOMPARE(f.state.selected.group, QString());
    QCOMPARE(f.iniNumber(), QStringLiteral("0"));
}

void TstRequests::deleteARowGoneAlready()
{
    SelectionFixture f(12);
    QList<RequestRow> rows = f.rows();
    // Another workstation deletes it while this grid still shows it, leaving its persons behind.
    f.inst.addPerson(12, QStringLiteral("UNO"));
    f.inst.addPerson(10, QStringLiteral("DUE"));
    f.inst.sql(QStringLiteral("DELETE FROM Domande WHERE NumDoma = 12"));
    f.prompter.expect(confirmDelete(12), Answer::Ok)
        .expect(kDeleteSelected, Answer::Ok)
        .expect(
            QStringLiteral("Il record che si è deciso di eliminare è già stato cancellato da un'altra postazione. "),
            QStringLiteral("Accesso concorrente"), Icon::Exclamation);
    QVERIFY(f.selection.deleteRequest(rows, 2, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(f.state.selected.number, 10);
    QCOMPARE(f.personsOf(), QList<qint32>{10});
}

void TstRequests::deleteOfARequestPrintedMeanwhile()
{
    SelectionFixture f;
    QList<RequestRow> rows = f.rows();
    f.inst.addPerson(12, QStringLiteral("UNO"));
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1 WHERE NumDoma = 12"));
    f.prompter.expect(confirmDelete(12), Answer::Ok).expect(kPrinted);
    QVERIFY(f.selection.deleteRequest(rows, 2, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(f.numbers(), (QList<qint32>{10, 11, 12}));
    QCOMPARE(f.personsOf(), QList<qint32>{12});
}

// When its persons cannot be deleted, the Request stays too: never one without the other.
void TstRequests::deleteIsAllOrNothing()
{
    SelectionFixture f;
    f.inst.addPerson(12, QStringLiteral("UNO"));
    f.inst.sql(QStringLiteral("CREATE TRIGGER Guasto BEFORE DELETE ON Ruoli BEGIN SELECT RAISE(ABORT, 'guasto'); END"));
    QList<RequestRow> rows = f.rows();
    f.prompter.expect(confirmDelete(12), Answer::Ok)
        .expect(ErrorTrap::failureMessage(kDeleteTitle, {QStringLiteral("1811"), QStringLiteral("guasto")}),
                Answer::Cancel);
    QVERIFY(!f.selection.deleteRequest(rows, 2, f.a12, QStringLiteral("001")));
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended());
    QCOMPARE(f.numbers(), (QList<qint32>{10, 11, 12}));
    QCOMPARE(f.personsOf(), QList<qint32>{12});
}

namespace {
class NoScreens : public CreationScreens {
public:
    void showProgress(const QString&) override {}
    bool askEmail() override { return true; }
    QString alternativeIdentity(const QUrl&) override { return QString(); }
};
} // namespace

void TstRequests::runningNumbers()
{
    SelectionFixture f;
    Exchange unused{ExchangeSettings()};
    NoScreens screens;
    RequestCreation creation(f.ctx, unused, screens);
    const OperatorEntry b7{QStringLiteral("B"), 7, QStringLiteral("ISTITUTO")};
    const ProvinceEntry asti{QStringLiteral("005"), QStringLiteral("AT"), QStringLiteral("ASTI")};
    auto running = [&](int number) {
        QSqlQuery q = f.db.query();
        f.db.exec(q, QStringLiteral("SELECT Domanda FROM Domande WHERE NumDoma = ?"), {number});
        return q.next() ? q.value(0).toInt() : -1;
    };
    QVERIFY(creation.insertRequest(100, b7, asti));
    QCOMPARE(running(100), 1);
    QVERIFY(creation.insertRequest(101, b7, asti));
    QCOMPARE(running(101), 2);
    QVERIFY(creation.insertRequest(102, f.a12, asti));
    QCOMPARE(running(102), 1);
    f.inst.sql(QStringLiteral("DELETE FROM Domande WHERE NumDoma = 101"));
    QVERIFY(creation.insertRequest(103, b7, asti));
    QCOMPARE(running(103), 2);
    VX_VERIFY_PROMPTS(f.prompter);
}

QTEST_GUILESS_MAIN(TstRequests)
#include "tst_requests.moc"
