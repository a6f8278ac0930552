// The main screen's rules: gates, checks, the update command, the first activation, the header.

#include "TestContext.h"
#include "Version.h"

#include "app/CommandGating.h"
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

const Message kGate{QStringLiteral("Selezionare prima la DOMANDA da compilare (Inserisci/Seleziona Domanda)"),
                    QStringLiteral("Funzione non disponibile"), Icon::Exclamation, Buttons::Ok};
const Message kVerifier{QStringLiteral("Non risulta essere stato inserito nemmeno un soggetto con il ruolo di "
                                       "Verificatore.\nCio' potrebbe rappresentare una anomalia.\nIn caso di dubbi "
                                       "verificare nuovamente i dati prima di procedere alla stampa definitiva.\nIn "
                                       "caso contrario ignorare questo messaggio."),
                        QStringLiteral("Controllo Compilazione"), Icon::Information, Buttons::Ok};

} // namespace

class TstMainScreen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void gatesWithoutARequest();
    void draftPrint();
    void definitivePrint();
    void firstActivation_data();
    void firstActivation();
    void selectionLeftWithoutARequestEnds();
    void updateCommandStates();
    void nameLabel_data();
    void nameLabel();
    void captionAndVersion();
    void linksAndHelp();
};

void TstMainScreen::gatesWithoutARequest()
{
    Fixture f;
    f.prompter.expect(kGate).expect(kGate).expect(kGate);
    QVERIFY(!f.rules.draftPrint());
    QVERIFY(!f.rules.definitivePrint());
    QVERIFY(!f.rules.databaseUpdate());
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstMainScreen::draftPrint()
{
    Fixture f;
    f.select(10);
    f.prompter.expect(QStringLiteral("Sede Legale del Soggetto Attuatore non trovata! Impossibile stampare la bozza "
                                     "della domanda."),
                      QStringLiteral("Stampa Bozza"), Icon::Critical);
    QVERIFY(!f.rules.draftPrint());
    f.inst.addLegalSeat(QStringLiteral("A"), 12);
    // No verifier: warned, and the print goes on.
    f.prompter.expect(kVerifier);
    QVERIFY(f.rules.draftPrint());
    f.inst.addPerson(10, QStringLiteral("RSSMRA85T10A562S"), 3, 1);
    QVERIFY(f.rules.draftPrint());
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstMainScreen::definitivePrint()
{
    Fixture f;
    f.select(10);
    f.prompter.expect(QStringLiteral("Nessuna scheda di profilazione è presente sulla richiesta selezionata: "
                                     "impossibile stampare e inviare la domanda!"),
                      QStringLiteral("Invio domanda"), Icon::Critical);
    QVERIFY(!f.rules.definitivePrint());
    f.inst.addPerson(10, QStringLiteral("RSSMRA85T10A562S"));
    f.prompter.expect(kVerifier);
    QVERIFY(f.rules.definitivePrint());
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstMainScreen::firstActivation_data()
{
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<bool>("opens");
    QTest::newRow("one, selected") << 1 << true << false;
    QTest::newRow("one, none selected") << 1 << false << true;
    QTest::newRow("two, selected") << 2 << true << true;
    QTest::newRow("none") << 0 << false << true;
}

void TstMainScreen::firstActivation()
{
    QFETCH(int, requests);
    QFETCH(bool, selected);
    QFETCH(bool, opens);
    Fixture f;
    if (requests == 0)
        f.inst.sql(QStringLiteral("DELETE FROM Domande"));
    if (requests == 2)
        f.inst.addRequest(11, QStringLiteral("A"), 12, QStringLiteral("001"), 2);
    if (selected)
        f.select(10);
    QCOMPARE(f.rules.needsSelection(), opens);
}

void TstMainScreen::selectionLeftWithoutARequestEnds()
{
    Fixture f;
    QVERIFY(!f.rules.selectionDone());
    QVERIFY(f.control.ended());
    Fixture g;
    g.select(10);
    QVERIFY(g.rules.selectionDone());
    QVERIFY(!g.control.ended());
}

void TstMainScreen::updateCommandStates()
{
    Fixture client(QStringLiteral("CLIENT"));
    QVERIFY(client.rules.checkVersion());
    const UpdateCommandState clientState = client.rules.updateStateAtLoad();
    QCOMPARE(clientState, (UpdateCommandState{false, true, false, true}));
    client.select(10);
    QCOMPARE(client.rules.updateStateAtActivation(clientState), clientState);

    Fixture server;
    QVERIFY(server.rules.checkVersion());
    UpdateCommandState state = server.rules.updateStateAtLoad();
    QCOMPARE(state, (UpdateCommandState{true, false, true, true}));
    server.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    server.select(10);
    state = server.rules.updateStateAtActivation(state);
    QCOMPARE(state, (UpdateCommandState{false, true, true, false}));
    server.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 0"));
    server.select(10);
    state = server.rules.updateStateAtActivation(state);
    // The label's enabled state is left as it was.
    QCOMPARE(state, (UpdateCommandState{true, false, true, false}));
}

void TstMainScreen::nameLabel_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("cut");
    QTest::newRow("24 shown whole") << 24 << false;
    QTest::newRow("25 cut") << 25 << true;
    QTest::newRow("short") << 3 << false;
}

void TstMainScreen::nameLabel()
{
    QFETCH(int, length);
    QFETCH(bool, cut);
    const QString name = QString(length, QLatin1Char('N'));
    QString tooltip = QStringLiteral("prima");
    const QString label = CommandGating::nameLabel(name, &tooltip);
    if (cut) {
        QCOMPARE(label, QStringLiteral("-  ") + name.left(24) + QStringLiteral("..."));
        QCOMPARE(tooltip, name);
    } else {
        QCOMPARE(label, QStringLiteral("-  ") + name);
        QCOMPARE(tooltip, QString());
    }
}

void TstMainScreen::captionAndVersion()
{
    const QString version = QString::fromLatin1(kVersionText);
    QCOMPARE(CommandGating::caption(QStringLiteral("SERVER")),
             QStringLiteral("Censimento Dati Operatori  ") + version + QStringLiteral(" ***SERVER***"));
    QCOMPARE(CommandGating::caption(QStringLiteral("CLIENT")),
             QStringLiteral("Censimento Dati Operatori  ") + version + QStringLiteral(" ___CLIENT___"));

    Fixture f(QStringLiteral("server"));
    f.prompter.expect(QStringLiteral("Le impostazioni del file VELTRANORPX.INI riguardo la versione\nNon sono valide. "
                                     "Contattare l'assistenza tecnica."),
                      QStringLiteral("Errore nel file ini"), Icon::Critical);
    QVERIFY(!f.rules.checkVersion());
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended());
    QVERIFY(!f.db.isOpen());

    Fixture g;
    g.select(10);
    const MainHeader h = g.rules.header();
    QCOMPARE(h, (MainHeader{QStringLiteral("A"), QStringLiteral("12"), QStringLiteral("-  Operatore 12"), QString(),
                            QStringLiteral("TORINO"), QStringLiteral("10")}));
}

void TstMainScreen::linksAndHelp()
{
    Fixture f;
    const QList<LinkTarget> links = f.rules.links();
    QCOMPARE(links.size(), 4);
    const LinkTarget& fse = links[3];
    const Message question{QStringLiteral("Collegamento alla pagina principale del Fondo Sociale Europeo.\nProcedere?"),
                           QStringLiteral("Collegamento a  Fondo Sociale Europeo"), Icon::None, Buttons::YesNo};
    f.prompter.expect(question, Answer::No).expect(question, Answer::Yes);
    QVERIFY(!f.rules.openLink(fse));
    QVERIFY(f.rules.openLink(fse));
    QCOMPARE(f.desktop.opened, QList<QUrl>{fse.address});

    f.state.helpFilePath = f.inst.file(QStringLiteral("help/VELTRANORPX.html"));
    f.rules.help();
    QCOMPARE(f.desktop.opened.last().fragment(), QStringLiteral("20000"));
    VX_VERIFY_PROMPTS(f.prompter);
}

QTEST_GUILESS_MAIN(TstMainScreen)
#include "tst_mainscreen.moc"
