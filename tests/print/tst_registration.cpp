// The print dialog's decisions and the registration of the definitive print: what registers and
// what never does, the delivery commands it enables, and the messages on the way.

#include "TestContext.h"

#include "core/Settings.h"
#include "print/PrintRegistration.h"
#include "print/PrintSession.h"
#include "print/PrintTarget.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

#include <QFile>
#include <QTest>

using namespace vx;
using Choice = PrintSession::Choice;
using State = PrintRegistration::DeliveryState;

namespace {

// A printer that takes the listing, or refuses it at the end of the job.
class FakePrinter : public PrintTarget {
public:
    bool accept = true;
    int lines = 0;
    void setUp(const PageSetUp&) override {}
    int lineAdvance() const override { return 200; }
    int pageHeight() const override { return 100000; }
    void text(int, int, const QString&) override { ++lines; }
    void endPage() override {}
    bool endJob() override { return accept; }
};

struct Fixture : vx::test::InstalledContext {
    PrintRegistration registration{ctx};

    Fixture()
    {
        Settings::read(inst.ini()).applyTo(state);
        clock.fixed = QDateTime(QDate(2026, 3, 5), QTime(9, 0));
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
        inst.addLegalSeat(QStringLiteral("A"), 12);
        inst.addRequest(45, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
        inst.addPerson(45, QStringLiteral("RSSMRA85T10A562S"));
        open();
        state.selected.number = 45;
        state.selected.group = QStringLiteral("A");
        state.selected.operatorCode = 12;
        state.selected.province = QStringLiteral("001");
    }
    bool printed() { return isPrinted(db, 45); }
    QString pdf() const { return inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45.pdf")); }
    void expectCreated()
    {
        prompter.expect(QStringLiteral("E' stato creato il file ") + pdf() + QLatin1Char('.'),
                        QStringLiteral("Compilazione File di stampa"), Icon::Information);
    }
};

const Message kRegistered{QStringLiteral("Registrazione della stampa avvenuta. Trasmissione dati abilitata"), kAppTitle,
                          Icon::None, Buttons::Ok};
const State kNotPrinted{false, false, QStringLiteral("Annulla Invio Proposta")};
const State kPrinted{true, true, QStringLiteral("Esci")};

} // namespace

class TstRegistration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void labels();
    void interval_data();
    void interval();
    void definitivePrintRegisters();
    void secondDefinitivePrintRegistersNothing();
    void failedRunRegistersNothing();
    void draftNeverRegisters();
    void registrationOfARequestGone();
    void registrationRetriedAfterAFailure();
    void alternativePrint_data();
    void alternativePrint();
    void emergencyListing_data();
    void emergencyListing();
};

void TstRegistration::labels()
{
    QCOMPARE(PrintSession::labelsFor(Choice::Draft).caption, QStringLiteral("Stampa Bozza"));
    QCOMPARE(PrintSession::labelsFor(Choice::Draft).printType, QStringLiteral("STAMPA DELLA BOZZA DELLA DOMANDA."));
    QCOMPARE(PrintSession::labelsFor(Choice::Definitive).caption, QStringLiteral("Stampa Originale, Copia"));
    QCOMPARE(PrintSession::labelsFor(Choice::Definitive).printType,
             QStringLiteral("STAMPA DEL MODULO DI DOMANDA ORIGINALE E IN COPIA."));
}

void TstRegistration::interval_data()
{
    QTest::addColumn<QStringList>("typed"); // one confirmation each
    QTest::addColumn<int>("waitMs");
    QTest::newRow("three seconds") << QStringList{"3"} << 3000;
    QTest::newRow("zero keeps the earlier pause") << QStringList{"3", "0"} << 3000;
    QTest::newRow("whole seconds") << QStringList{"2,7"} << 2000;
    QTest::newRow("negative") << QStringList{"-1"} << 0;
    QTest::newRow("not a number") << QStringList{"abc"} << 0;
    QTest::newRow("beyond 32 bits") << QStringList{"99999999"} << 2147483000;
}

void TstRegistration::interval()
{
    QFETCH(QStringList, typed);
    QFETCH(int, waitMs);
    Fixture f;
    PrintSession session(f.ctx, Choice::Draft);
    for (const QString& text : typed)
        session.setInterval(text);
    QCOMPARE(f.state.printWaitMs, waitMs);
}

void TstRegistration::definitivePrintRegisters()
{
    Fixture f;
    QCOMPARE(f.registration.stateAtLoad(), kNotPrinted);
    f.expectCreated();
    QVERIFY(PrintSession(f.ctx, Choice::Definitive).run());
    QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.pdf())});
    QCOMPARE(f.registration.afterDefinitivePrint(kNotPrinted, false, true), kPrinted);
    QVERIFY(f.printed());
    QVERIFY(f.state.selected.printed);
    QCOMPARE(f.registration.stateAtLoad(), kPrinted);
}

void TstRegistration::secondDefinitivePrintRegistersNothing()
{
    Fixture f;
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    f.state.selected.printed = true;
    f.expectCreated();
    QVERIFY(PrintSession(f.ctx, Choice::Definitive).run());
    // Printed before: the state stays as the screen had it, and nothing is written.
    f.db.failStatement(1); // any statement would fail
    QCOMPARE(f.registration.afterDefinitivePrint(kPrinted, true, true), kPrinted);
    QVERIFY(!f.db.faultFired());
}

void TstRegistration::failedRunRegistersNothing()
{
    Fixture f;
    QVERIFY(QFile::remove(f.inst.file(QStringLiteral("_VELTRANORPX_01.html"))));
    f.prompter.expect(QStringLiteral("Impossibile leggere il modello di stampa ") +
                          f.inst.file(QStringLiteral("_VELTRANORPX_01.html")) +
                          QStringLiteral(":\nNo such file or directory"),
                      QStringLiteral("Errore in fase di stampa"), Icon::Critical);
    QVERIFY(!PrintSession(f.ctx, Choice::Definitive).run());
    QVERIFY(!QFile::exists(f.pdf()));
    QCOMPARE(f.registration.afterDefinitivePrint(kNotPrinted, false, false), kNotPrinted);
    QVERIFY(!f.printed());
    QVERIFY(!f.control.ended());
}

void TstRegistration::draftNeverRegisters()
{
    Fixture f;
    f.expectCreated();
    QVERIFY(PrintSession(f.ctx, Choice::Draft).run());
    QVERIFY(!f.printed());
}

void TstRegistration::registrationOfARequestGone()
{
    Fixture f;
    f.inst.sql(QStringLiteral("DELETE FROM Domande"));
    f.prompter.expect(concurrency::requestGone(45, QStringLiteral("La stampa non è stata registrata.")));
    QCOMPARE(f.registration.afterDefinitivePrint(kNotPrinted, false, true), kNotPrinted);
    QVERIFY(!f.state.selected.printed);
}

void TstRegistration::registrationRetriedAfterAFailure()
{
    Fixture f;
    const DbError busy = DbError::sqlite(5);
    f.db.failStatement(1, busy);
    f.prompter.expect(ErrorTrap::failureMessage(QStringLiteral("Stampa Definitivo"), busy), Answer::Retry);
    QCOMPARE(f.registration.afterDefinitivePrint(kNotPrinted, false, true), kPrinted);
    QVERIFY(f.printed());

    // Cancel ends the program; send and save stay off.
    Fixture g;
    g.db.failStatement(1, busy);
    g.prompter.expect(ErrorTrap::failureMessage(QStringLiteral("Stampa Definitivo"), busy), Answer::Cancel);
    QCOMPARE(g.registration.afterDefinitivePrint(kNotPrinted, false, true), kNotPrinted);
    QVERIFY(g.control.ended());
    QVERIFY(!g.printed());
}

void TstRegistration::alternativePrint_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("printerTakesIt");
    QTest::addColumn<bool>("registered");
    QTest::newRow("answered No") << false << true << false;
    QTest::newRow("printer refuses") << true << false << false;
    QTest::newRow("printed") << true << true << true;
}

void TstRegistration::alternativePrint()
{
    QFETCH(bool, confirm);
    QFETCH(bool, printerTakesIt);
    QFETCH(bool, registered);
    Fixture f;
    f.prompter.expect(PrintRegistration::alternativeQuestion(), confirm ? Answer::Yes : Answer::No);
    if (confirm && !printerTakesIt)
        f.prompter.expect(QStringLiteral("La stampante non ha accettato la stampa.\nLa stampa non è stata registrata."),
                          PrintRegistration::kAlternativeTitle, Icon::Exclamation);
    if (registered)
        f.prompter.expect(kRegistered);
    bool listed = false;
    const State after = f.registration.alternativePrint(kNotPrinted, [&] {
        listed = true;
        return printerTakesIt;
    });
    QCOMPARE(listed, confirm);
    QCOMPARE(f.printed(), registered);
    // Send and save follow the registration; the exit caption stays.
    const State expected = registered ? State{true, true, kNotPrinted.exitLabel} : kNotPrinted;
    QCOMPARE(after, expected);
}

void TstRegistration::emergencyListing_data()
{
    QTest::addColumn<Answer>("answer");
    QTest::newRow("confirmed") << Answer::Ok;
    QTest::newRow("cancelled") << Answer::Cancel;
}

void TstRegistration::emergencyListing()
{
    QFETCH(Answer, answer);
    Fixture f;
    f.prompter.expect(PrintSession::emergencyQuestion(), answer);
    FakePrinter printer;
    QCOMPARE(PrintSession(f.ctx, Choice::Definitive).emergencyPrint(printer), answer == Answer::Ok);
    QCOMPARE(printer.lines > 0, answer == Answer::Ok);
    QVERIFY(!f.printed()); // never registers
}

QTEST_MAIN(TstRegistration)
#include "tst_registration.moc"
