// The Request selection screen while it waits: a server call stopped from whichever window is in
// front, and the wait panel of a delete.

#include "RequestsFixture.h"
#include "Support.h"
#include "TestContext.h"

#include "core/Settings.h"
#include "net/Exchange.h"
#include "requests/Messages.h"
#include "requests/SelectedRequest.h"
#include "requests/screens/RequestNumberWindow.h"
#include "requests/screens/RequestSelectionScreen.h"
#include "store/ErrorTrap.h"
#include "store/Messages.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace vx;
namespace req = vx::msg::requests;

namespace {

template <typename T> T* child(QObject* parent, const char* name)
{
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("missing control %s", name);
    return w;
}

// A prompter that lets the test look at the screen whenever a message is up.
class WatchingPrompter : public vx::test::ScriptedPrompter {
public:
    std::function<void()> onMessage;
    Answer ask(const Message& message) override
    {
        if (onMessage)
            onMessage();
        return ScriptedPrompter::ask(message);
    }
};

// Operator A-12 in province 001 with Requests 10 and 12, on the regional servers' stand-in when
// it is started.
struct Fixture : vx::test::InstalledContext {
    vx::test::RegioneProcess server;
    WatchingPrompter watching;
    Context watched{state, db, watching, control, desktop, clock};

    explicit Fixture(const vx::test::IniValues& values = {}) : InstalledContext(values)
    {
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
        inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
        inst.addRequest(12, QStringLiteral("A"), 12, QStringLiteral("001"), 2);
        vx::test::setUserIdentity();
    }
    // `slowService` answers after 30 s.
    bool start(const QString& slowService)
    {
        server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=30")};
        server.sections[QStringLiteral("guasti")] = {slowService + QStringLiteral("=lento")};
        return vx::test::installOn(server, *this, {QStringLiteral("TEMPO_LIMITE=60")});
    }
};

} // namespace

class TstSeldoma : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stopFromTheWindowInFront_data();
    void stopFromTheWindowInFront();
    void deleteWaitsOnlyOnceAnswered();
};

void TstSeldoma::stopFromTheWindowInFront_data()
{
    QTest::addColumn<QString>("service");
    QTest::addColumn<int>("call"); // 1 identity page, 2 authentication, 3 request number
    QTest::addColumn<QString>("how");
    for (const char* how : {"Interrompi", "Escape", "chiusura"}) {
        QTest::addRow("authentication, Seldoma, %s", how) << "autenticazione" << 2 << how;
        QTest::addRow("request number, FrmnReg, %s", how) << "nreg" << 3 << how;
    }
    QTest::addRow("identity page, Seldoma, Escape") << "identita" << 1 << "Escape";
}

void TstSeldoma::stopFromTheWindowInFront()
{
    QFETCH(QString, service);
    QFETCH(int, call);
    QFETCH(QString, how);
    VX_NEEDS_PERSONAL_CERTIFICATE();
    Fixture f;
    QVERIFY(f.start(service));
    RequestSelectionScreen screen(f.ctx);
    screen.show();
    auto* exchange = screen.findChild<Exchange*>();
    QVERIFY(exchange);

    // The window in front while the call waits: the number request has its own. Stopping the call
    // stops nothing else.
    bool stopped = false;
    QWidget* front = nullptr;
    auto stop = [&] {
        front = call == 3 ? static_cast<QWidget*>(screen.findChild<RequestNumberWindow*>()) : &screen;
        QVERIFY(front);
        if (how == QLatin1String("Interrompi"))
            QTest::mouseClick(child<QPushButton>(front, "cmdInterrompi"), Qt::LeftButton);
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(front, Qt::Key_Escape);
        else
            front->close();
        stopped = front->isVisible() && screen.isVisible();
    };
    int connecting = 0;
    QObject::connect(exchange, &Exchange::stateChanged, &screen, [&](Exchange::State state) {
        if (state == Exchange::State::Connecting && ++connecting == call)
            QTimer::singleShot(300, &screen, stop);
    });
    // The e-mail prompt of the number request is confirmed as it comes.
    QTimer confirmEmail;
    QObject::connect(&confirmEmail, &QTimer::timeout, &screen, [&] {
        if (auto* prompt = screen.findChild<QDialog*>(QStringLiteral("frmMailAggInst"));
            prompt && prompt->isVisible()) {
            child<QLineEdit>(prompt, "txtEMail")->setText(QStringLiteral("segreteria@ente.example"));
            QTest::mouseClick(child<QPushButton>(prompt, "cmdConferma"), Qt::LeftButton);
        }
    });
    confirmEmail.start(50);
    // Never hang the suite; a stop that did not stop the call fails the test.
    bool hung = false;
    QTimer::singleShot(15000, &screen, [&] {
        hung = true;
        exchange->cancel();
    });

    f.prompter.expectPassword(QStringLiteral("Certificato personale"), QStringLiteral("demo"))
        .expect(req::notice(req::Notice::Interrupted));
    QTest::mouseClick(child<QPushButton>(&screen, "cmdInserisci"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(stopped && !hung);
    QCOMPARE(front == &screen, call != 3);
    QVERIFY(screen.isVisible() && !child<QWidget>(&screen, "panel_Attesa")->isVisible());
    QVERIFY(child<QPushButton>(&screen, "cmdInserisci")->isEnabled());
    QVERIFY(!screen.findChild<RequestNumberWindow*>() && !f.control.ended());
    QCOMPARE(vx::test::dumpOf(f.db).value(QStringLiteral("Domande")).size(), 2);
    QCOMPARE(f.state.selected.number, 0);

    // Once no call runs, Escape is the screen's own again.
    f.prompter.expect(req::notice(req::Notice::SelectOrEnd), Answer::Yes);
    QTest::keyClick(&screen, Qt::Key_Escape);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(screen.isVisible());
}

// The wait panel and the hourglass come with the delete itself, never while a question waits.
void TstSeldoma::deleteWaitsOnlyOnceAnswered()
{
    Fixture f({.numDoma = QStringLiteral("12")});
    QVERIFY(f.open());
    f.state.selected = loadSelectedRequest(f.db, f.watching, 12);
    RequestSelectionScreen screen(f.watched);
    screen.show();
    auto* panel = child<QWidget>(&screen, "panel_Attesa");
    auto* insert = child<QPushButton>(&screen, "cmdInserisci");
    QCOMPARE(child<QTableView>(&screen, "grdDomande")->currentIndex().row(), 1);
    // Another workstation deletes it meanwhile, so that a message comes up during the delete too.
    f.inst.sql(QStringLiteral("DELETE FROM Domande WHERE NumDoma = 12"));

    QList<QList<int>> seen; // panel shown, commands enabled, hourglass depth
    f.watching.onMessage = [&] { seen.append({panel->isVisible(), insert->isEnabled(), f.control.busyDepth()}); };
    f.watching.expect(req::confirmDelete(12))
        .expect(req::notice(req::Notice::DeletingTheSelected))
        .expect(msg::store::notice(msg::store::Notice::AlreadyDeleted));
    QTest::mouseClick(child<QPushButton>(&screen, "cmdElimina"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.watching);
    QCOMPARE(seen, (QList<QList<int>>{{false, true, 0}, {false, true, 0}, {true, false, 1}}));
    QVERIFY(!panel->isVisible() && insert->isEnabled());
    QCOMPARE(f.control.busyDepth(), 0);
    QCOMPARE(f.state.selected.number, 10);
}

QTEST_MAIN(TstSeldoma)
#include "tst_seldoma.moc"
