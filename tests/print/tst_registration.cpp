// The print dialog's decisions and the registration of the definitive print: what registers and
// what never does, the delivery commands it enables, and what the user is told on the way.

#include "Support.h"
#include "TestContext.h"

#include "core/Messages.h"
#include "print/Messages.h"
#include "print/PrintRegistration.h"
#include "print/PrintSession.h"
#include "print/PrintTarget.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"
#include "store/Messages.h"
#include "transmission/Messages.h"
#include "transmission/TransmissionFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace vx;
using Choice = PrintSession::Choice;
using State = PrintRegistration::DeliveryState;
namespace m = vx::msg::print;

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

// A computer with no program that opens a PDF.
class NoViewer : public Desktop {
public:
    bool openUrl(const QUrl&) override { return false; }
    bool showTextFile(const QString&) override { return false; }
};

struct Fixture : vx::test::InstalledContext {
    PrintRegistration registration{ctx};

    Fixture()
    {
        clock.fixed = QDateTime(QDate(2026, 3, 5), QTime(9, 0));
        inst.addOperatorWithRequest(45);
        inst.addRole(test::rossi(45));
        open();
        state.selected.number = 45;
        state.selected.group = QStringLiteral("A");
        state.selected.operatorCode = 12;
        state.selected.province = QStringLiteral("001");
    }
    bool printed() { return isPrinted(db, 45); }
    QString pdf() const { return inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45.pdf")); }
    QString draftPdf() const { return inst.file(QStringLiteral("VELTRANORPX-A12-TO-Domanda45-Bozza.pdf")); }
};

const State kNotPrinted{false, false, m::text(m::Text::ExitDisabled)};
const State kPrinted{true, true, msg::core::text(msg::core::Text::ExitCaption)};

} // namespace

class TstRegistration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void interval();
    void definitivePrintRegistersOnce();
    void failedRunRegistersNothing();
    void draftNeverRegisters();
    void registrationOfARequestGone();
    void alternativePrint_data();
    void alternativePrint();
    void unsendableContentNeverRegisters();
    void emergencyListing();
    void definitiveAsksFirst_data();
    void definitiveAsksFirst();
};

void TstRegistration::definitiveAsksFirst_data()
{
    QTest::addColumn<bool>("definitive");
    QTest::addColumn<bool>("printed");
    QTest::addColumn<int>("answer"); // -1: nothing asked
    QTest::addColumn<bool>("goOn");
    QTest::newRow("draft") << false << false << -1 << true;
    QTest::newRow("definitive, yes") << true << false << int(Answer::Yes) << true;
    QTest::newRow("definitive, no") << true << false << int(Answer::No) << false;
    QTest::newRow("printed before") << true << true << -1 << true;
}

void TstRegistration::definitiveAsksFirst()
{
    // The print that closes a Request to changes is never started unasked.
    QFETCH(bool, definitive);
    QFETCH(bool, printed);
    QFETCH(int, answer);
    QFETCH(bool, goOn);
    vx::test::TestContext c;
    c.state.selected.number = 45;
    c.state.selected.printed = printed;
    if (answer >= 0)
        c.prompter.expect(m::definitiveQuestion(45), Answer(answer));
    QCOMPARE(PrintSession(c.ctx, definitive ? Choice::Definitive : Choice::Draft).confirmed(), goOn);
    VX_VERIFY_PROMPTS(c.prompter);
}

void TstRegistration::interval()
{
    // Whole seconds; 0 or less, or no number, keeps the pause; at most what 32 bits of ms hold.
    vx::test::TestContext c;
    PrintSession session(c.ctx, Choice::Draft);
    for (const auto& [typed, waitMs] : QList<std::pair<const char*, int>>{
             {"2,7", 2000}, {"0", 2000}, {"-1", 2000}, {"abc", 2000}, {"99999999", 2147483000}}) {
        session.setInterval(QString::fromLatin1(typed));
        QCOMPARE(c.state.printWaitMs, waitMs);
    }
}

void TstRegistration::definitivePrintRegistersOnce()
{
    Fixture f;
    QCOMPARE(f.registration.stateAtLoad(), kNotPrinted);
    f.prompter.expect(m::fileCreated(QDir::toNativeSeparators(f.pdf())));
    QVERIFY(PrintSession(f.ctx, Choice::Definitive).run());
    QCOMPARE(f.desktop.opened, QList<QUrl>{QUrl::fromLocalFile(f.pdf())});
    // Registered, and the user told that the Request is closed to changes from now on.
    f.prompter.expect(m::registeredClosed(45));
    QCOMPARE(f.registration.afterDefinitivePrint(kNotPrinted, false, true), kPrinted);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.printed());
    QVERIFY(f.state.selected.printed);
    QCOMPARE(f.registration.stateAtLoad(), kPrinted);

    // Printed before: the state stays as the screen had it, and nothing is written.
    f.prompter.expect(m::fileCreated(QDir::toNativeSeparators(f.pdf())));
    QVERIFY(PrintSession(f.ctx, Choice::Definitive).run());
    f.db.failStatement(1); // any statement would fail
    QCOMPARE(f.registration.afterDefinitivePrint(kPrinted, true, true), kPrinted);
    QVERIFY(!f.db.faultFired());
}

void TstRegistration::failedRunRegistersNothing()
{
    Fixture f;
    const QString missing = f.inst.file(QStringLiteral("_VELTRANORPX_01.html"));
    QVERIFY(QFile::remove(missing));
    QFile gone(missing); // the system's words for it
    QVERIFY(!gone.open(QIODevice::ReadOnly));
    f.prompter.expect(m::printFailed(m::templateUnreadable(QDir::toNativeSeparators(missing), gone.errorString())));
    QVERIFY(!PrintSession(f.ctx, Choice::Definitive).run());
    QVERIFY(!QFile::exists(f.pdf()));
    QCOMPARE(f.registration.afterDefinitivePrint(kNotPrinted, false, false), kNotPrinted);
    QVERIFY(!f.printed());
    QVERIFY(!f.control.ended());
}

void TstRegistration::draftNeverRegisters()
{
    // Nothing on this computer opens the PDF: the user is told which file could not be shown.
    Fixture f;
    NoViewer noViewer;
    Context ctx{f.state, f.db, f.prompter, f.control, noViewer, f.clock};
    f.prompter.expect(m::fileCreated(QDir::toNativeSeparators(f.draftPdf())))
        .expect(msg::core::cannotOpen(QUrl::fromLocalFile(f.draftPdf())));
    QVERIFY(PrintSession(ctx, Choice::Draft).run());
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!f.printed());
}

void TstRegistration::registrationOfARequestGone()
{
    Fixture f;
    f.inst.sql(QStringLiteral("DELETE FROM Domande"));
    f.prompter.expect(msg::store::requestGone(45, m::text(m::Text::NotRegistered)));
    QCOMPARE(f.registration.afterDefinitivePrint(kNotPrinted, false, true), kNotPrinted);
    QVERIFY(!f.state.selected.printed);
}

void TstRegistration::alternativePrint_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("printerTakesIt");
    QTest::newRow("answered No") << false << true;
    QTest::newRow("printer refuses") << true << false;
    QTest::newRow("printed") << true << true;
}

void TstRegistration::alternativePrint()
{
    QFETCH(bool, confirm);
    QFETCH(bool, printerTakesIt);
    const bool registered = confirm && printerTakesIt;
    Fixture f;
    f.prompter.expect(m::notice(m::Notice::AlternativeQuestion), confirm ? Answer::Yes : Answer::No);
    if (confirm)
        f.prompter.expect(printerTakesIt ? m::registered() : m::printerRefusedNotRegistered());
    bool listed = false;
    const State after = f.registration.alternativePrint(kNotPrinted, [&] {
        listed = true;
        return printerTakesIt;
    });
    QCOMPARE(listed, confirm);
    QCOMPARE(f.printed(), registered);
    // Send and save follow the registration; the exit caption stays.
    QCOMPARE(after, (registered ? State{true, true, kNotPrinted.exitLabel} : kNotPrinted));
}

void TstRegistration::unsendableContentNeverRegisters()
{
    // A person at a site the registry no longer has: the region would refuse the file, so nothing
    // is printed as definitive and nothing registered, and the user is told whom to correct.
    namespace mt = vx::msg::transmission;
    Fixture f;
    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    RolePerson p = test::rossi(45);
    p.ruolo = 2;
    p.sede = 7;
    f.inst.addRole(p);
    const QString fault =
        mt::personFault(p.cognome, p.nome, p.codFiscale,
                        mt::unknownSite(4, QStringLiteral("A"), QStringLiteral("12"), QStringLiteral("7")));
    const QString report = f.inst.file(kCheckReportName);
    f.prompter.expect(m::notSendable(fault, QDir::toNativeSeparators(report)));
    QVERIFY(!f.registration.sendableBeforeRegistering());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(test::readFile(report),
             (mt::notSendable(45) + QStringLiteral("\r\n") + fault + QStringLiteral("\r\n")).toUtf8());

    f.prompter.expect(m::notice(m::Notice::AlternativeQuestion), Answer::Yes)
        .expect(m::notSendable(fault, QDir::toNativeSeparators(report)));
    bool listed = false;
    QCOMPARE(f.registration.alternativePrint(kNotPrinted,
                                             [&] {
                                                 listed = true;
                                                 return true;
                                             }),
             kNotPrinted);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!listed);
    QVERIFY(!f.printed());

    // Put right, the same Request passes.
    f.inst.sql(
        QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo) VALUES ('A', 12, 7, 'SO')"));
    QVERIFY(f.registration.sendableBeforeRegistering());
}

void TstRegistration::emergencyListing()
{
    for (const Answer answer : {Answer::Ok, Answer::Cancel}) {
        Fixture f;
        f.prompter.expect(m::notice(m::Notice::EmergencyQuestion), answer);
        FakePrinter printer;
        QCOMPARE(PrintSession(f.ctx, Choice::Definitive).emergencyPrint(printer), answer == Answer::Ok);
        QCOMPARE(printer.lines > 0, answer == Answer::Ok);
        QVERIFY(!f.printed()); // never registers
    }
}

QTEST_MAIN(TstRegistration)
#include "tst_registration.moc"
