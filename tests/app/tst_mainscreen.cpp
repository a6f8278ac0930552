// The main screen's rules: gates, checks, the update command, the first activation, the header.

#include "TestContext.h"

#include "app/CommandGating.h"
#include "app/Messages.h"
#include "requests/SelectedRequest.h"

#include <QTest>

using namespace vx;

namespace {

struct Fixture : vx::test::InstalledContext {
    CommandGating rules{ctx};

    explicit Fixture(const QString& version = QStringLiteral("SERVER")) : InstalledContext({.versione = version})
    {
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
        inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
        open();
    }
    void select(qint32 number) { state.selected = loadSelectedRequest(db, prompter, number); }
};

} // namespace

class TstMainScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gates();
    void firstActivation();
    void updateCommand();
    void versionAndHeader();
};

void TstMainScreen::gates()
{
    Fixture f;
    f.prompter.expect(msg::app::noRequestSelected()).expect(msg::app::noRequestSelected());
    f.prompter.expect(msg::app::noRequestSelected());
    QVERIFY(!f.rules.draftPrint() && !f.rules.definitivePrint() && !f.rules.databaseUpdate());
    // Leaving the selection without a Request ends the program.
    QVERIFY(!f.rules.selectionDone() && f.control.ended());

    f.select(10);
    f.prompter.expect(msg::app::noLegalSeat()).expect(msg::app::notice(msg::app::Notice::NoPersons));
    QVERIFY(!f.rules.draftPrint() && !f.rules.definitivePrint());
    // No verifier: warned, and each print goes on.
    f.inst.addLegalSeat(QStringLiteral("A"), 12);
    f.inst.addPerson(10, QStringLiteral("RSSMRA85T10A562S"));
    f.prompter.expect(msg::app::notice(msg::app::Notice::NoVerifier))
        .expect(msg::app::notice(msg::app::Notice::NoVerifier));
    QVERIFY(f.rules.draftPrint() && f.rules.definitivePrint());
    f.inst.addPerson(10, QStringLiteral("BNCLRA78D43L219O"), 3, 1);
    QVERIFY(f.rules.draftPrint() && f.rules.databaseUpdate() && f.rules.selectionDone());
    VX_VERIFY_PROMPTS(f.prompter);
}

// The Request selection opens at the first activation unless the one Request there is selected.
void TstMainScreen::firstActivation()
{
    Fixture f;
    QVERIFY(f.rules.needsSelection());
    f.select(10);
    QVERIFY(!f.rules.needsSelection());
    f.inst.addRequest(11, QStringLiteral("A"), 12, QStringLiteral("001"), 2);
    QVERIFY(f.rules.needsSelection());
}

void TstMainScreen::updateCommand()
{
    Fixture client(QStringLiteral("CLIENT"));
    QVERIFY(client.rules.checkVersion());
    const UpdateCommandState off{false, true, false, true};
    QCOMPARE(client.rules.updateStateAtLoad(), off);
    client.select(10);
    QCOMPARE(client.rules.updateStateAtActivation(off), off);
    // SERVER: off while the selected Request is printed; on again, its label's enabled state kept.
    Fixture server;
    QVERIFY(server.rules.checkVersion());
    QCOMPARE(server.rules.updateStateAtLoad(),
             (UpdateCommandState{.enabled = true, .greyed = false, .labelVisible = true, .labelEnabled = true}));
    server.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    server.select(10);
    const UpdateCommandState printed = server.rules.updateStateAtActivation(server.rules.updateStateAtLoad());
    QCOMPARE(printed,
             (UpdateCommandState{.enabled = false, .greyed = true, .labelVisible = true, .labelEnabled = false}));
    server.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 0"));
    server.select(10);
    QCOMPARE(server.rules.updateStateAtActivation(printed),
             (UpdateCommandState{.enabled = true, .greyed = false, .labelVisible = true, .labelEnabled = false}));
}

void TstMainScreen::versionAndHeader()
{
    Fixture f(QStringLiteral("server"));
    f.prompter.expect(msg::app::versionInvalid());
    QVERIFY(!f.rules.checkVersion());
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended() && !f.db.isOpen());

    Fixture g;
    g.select(10);
    QCOMPARE(g.rules.header(), (MainHeader{QStringLiteral("A"), QStringLiteral("12"), QStringLiteral("-  Operatore 12"),
                                           QString(), QStringLiteral("TORINO"), QStringLiteral("10")}));
    // A name of 24 characters is shown whole; from 25 on it is cut, whole in the tooltip.
    QString tooltip = QStringLiteral("prima");
    const QString name(24, QLatin1Char('N'));
    QCOMPARE(CommandGating::nameLabel(name, &tooltip), QStringLiteral("-  ") + name);
    QCOMPARE(tooltip, QString());
    QCOMPARE(CommandGating::nameLabel(name + QLatin1Char('X'), &tooltip), QStringLiteral("-  ") + name + "...");
    QCOMPARE(tooltip, name + QLatin1Char('X'));
}

QTEST_GUILESS_MAIN(TstMainScreen)
#include "tst_mainscreen.moc"
