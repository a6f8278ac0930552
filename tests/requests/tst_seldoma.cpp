// The Request selection screen while it waits: a server call stopped from whichever window is in
// front, the wait panel of a delete, and the login page that no program can open.

#include "RegioneProcess.h"
#include "TestContext.h"

#include "core/Settings.h"
#include "core/UserSettings.h"
#include "requests/SelectedRequest.h"
#include "requests/screens/FrmnReg.h"
#include "requests/screens/Seldoma.h"
#include "requests/screens/frmMailAggNembo2.h"
#include "net/Exchange.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace vx;
using vx::test::IniValues;
using vx::test::RegioneProcess;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

namespace {

template <typename T> T* child(QObject* parent, const char* name)
{
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("missing control %s", name);
    return w;
}

// A prompter that lets the test look at the screen whenever a message is up.
class WatchingPrompter : public ScriptedPrompter {
public:
    std::function<void()> onMessage;
    Answer ask(const Message& message) override
    {
        if (onMessage)
            onMessage();
        return ScriptedPrompter::ask(message);
    }
};

class RefusingDesktop : public Desktop {
public:
    bool openUrl(const QUrl&) override { return false; }
    bool showTextFile(const QString&) override { return false; }
};

struct Fixture : vx::test::TestContext {
    TestInstallation inst;
    RegioneProcess server;

    Fixture()
    {
        inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
        inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
        UserSettings user;
        user.setEmail(QStringLiteral("segreteria@ente.example"));
        user.setCertificate(RegioneProcess::certificates() + QStringLiteral("utente.p12"));
    }

    // The installation on the stand-in, `service` answering after 30 s.
    bool start(const QString& slowService)
    {
        server.sections[QStringLiteral("server")] = {QStringLiteral("ritardo=30")};
        server.sections[QStringLiteral("guasti")] = {slowService + QStringLiteral("=lento")};
        if (!server.start())
            return false;
        IniValues values;
        values.nreg = server.address(QStringLiteral("/nreg/numero"));
        values.connessione = {
            QStringLiteral("AUTENTICAZIONE=") + server.address(QStringLiteral("/autenticazione/verifica")),
            QStringLiteral("NEMBO=") + server.address(QStringLiteral("/identita/risposta")),
            QStringLiteral("CERTIFICATI_CA=") + RegioneProcess::certificates() + QStringLiteral("ca.pem"),
            QStringLiteral("TEMPO_LIMITE=60")};
        inst.writeIni(values);
        state = inst.state();
        state.credential = QStringLiteral("regione:demo2026@");
        state.serverLabel = Settings::serverLabel(values.nreg);
        return db.open(QString(), inst.databasePath(), Database::Mode::StandAlone);
    }

    int requestCount()
    {
        QSqlQuery q = db.query();
        db.exec(q, QStringLiteral("SELECT COUNT(*) FROM Domande"));
        return q.next() ? q.value(0).toInt() : -1;
    }
};

const Message kInterrupted{QStringLiteral("Operazione interrotta dall'utente.\nLa domanda non è stata inserita."),
                           QStringLiteral("VELTRANORPX"), Icon::Information, Buttons::Ok};

} // namespace

class TstSeldoma : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void stopFromTheWindowInFront_data();
    void stopFromTheWindowInFront();
    void deleteWaitsOnlyOnceAnswered();
    void loginPageNobodyCanOpen();
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
    Fixture f;
    QVERIFY(f.start(service));
    Seldoma screen(f.ctx);
    screen.show();
    auto* exchange = screen.findChild<Exchange*>();
    QVERIFY(exchange);

    // The window in front while the call waits: the number request has its own.
    bool stopped = false;
    bool seldomaWasInFront = false;
    auto stop = [&] {
        QWidget* front = call == 3 ? static_cast<QWidget*>(screen.findChild<FrmnReg*>()) : &screen;
        QVERIFY(front);
        seldomaWasInFront = front == &screen;
        if (how == QLatin1String("Interrompi"))
            QTest::mouseClick(child<QPushButton>(front, "cmdInterrompi"), Qt::LeftButton);
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(front, Qt::Key_Escape);
        else
            front->close();
        stopped = true;
        // Stopping the call stops nothing else.
        QVERIFY(front->isVisible());
        QVERIFY(screen.isVisible());
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

    f.prompter.expectPassword(QStringLiteral("Certificato personale"), QStringLiteral("demo")).expect(kInterrupted);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdInserisci"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(stopped);
    QVERIFY(!hung);
    QCOMPARE(seldomaWasInFront, call != 3);
    QVERIFY(screen.isVisible());
    QVERIFY(!child<QWidget>(&screen, "panel_Attesa")->isVisible());
    QVERIFY(child<QPushButton>(&screen, "cmdInserisci")->isEnabled());
    QVERIFY(!screen.findChild<FrmnReg*>());
    QVERIFY(!f.control.ended());
    QCOMPARE(f.requestCount(), 0);
    QCOMPARE(f.state.selected.number, 0);

    // Once no call runs, Escape is the screen's own again.
    f.prompter.expect(QStringLiteral("E' necessario selezionare una domanda. Premere SI' per selezionarla ora oppure "
                                     "NO per terminare l'applicativo"),
                      QStringLiteral("Selezione Domanda"), Icon::Exclamation, Buttons::YesNo, Answer::Yes);
    QTest::keyClick(&screen, Qt::Key_Escape);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(screen.isVisible());
}

void TstSeldoma::deleteWaitsOnlyOnceAnswered()
{
    TestInstallation inst;
    inst.writeIni({.numDoma = QStringLiteral("12")});
    inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
    inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    inst.addRequest(12, QStringLiteral("A"), 12, QStringLiteral("001"), 2);
    vx::test::TestContext t;
    WatchingPrompter prompter;
    Context ctx{t.state, t.db, prompter, t.control, t.desktop, t.clock};
    t.state = inst.state();
    QVERIFY(t.db.open(QString(), inst.databasePath(), Database::Mode::Multiutenza));
    IniFile ini = inst.ini();
    SalvaVarINI(t.db, ini, prompter, 12, t.state.selected);

    Seldoma screen(ctx);
    screen.show();
    auto* panel = child<QWidget>(&screen, "panel_Attesa");
    auto* insert = child<QPushButton>(&screen, "cmdInserisci");
    QCOMPARE(child<QTableView>(&screen, "grdDomande")->currentIndex().row(), 1);
    // Another workstation deletes it meanwhile, so that a message comes up during the delete too.
    inst.sql(QStringLiteral("DELETE FROM Domande WHERE NumDoma = 12"));

    QList<QList<int>> seen; // panel shown, commands enabled, hourglass depth
    prompter.onMessage = [&] { seen.append({panel->isVisible(), insert->isEnabled(), t.control.busyDepth()}); };
    prompter
        .expect(QStringLiteral("Confermi la cancellazione della domanda n. 12 ?"), QStringLiteral("VELTRANORPX"),
                Icon::Information, Buttons::OkCancel)
        .expect(QStringLiteral("Si sta cercando di cancellare la domanda attualmente selezionata.\nSe si procede verrà "
                               "selezionata automaticamente un'altra domanda per lo stesso operatore.\nContinuare?"),
                QStringLiteral("Elimina Proposta"), Icon::Exclamation, Buttons::OkCancel)
        .expect(
            QStringLiteral("Il record che si è deciso di eliminare è già stato cancellato da un'altra postazione. "),
            QStringLiteral("Accesso concorrente"), Icon::Exclamation);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdElimina"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(seen, (QList<QList<int>>{{false, true, 0}, {false, true, 0}, {true, false, 1}}));
    QVERIFY(!panel->isVisible());
    QVERIFY(insert->isEnabled());
    QCOMPARE(t.control.busyDepth(), 0);
    QCOMPARE(t.state.selected.number, 10);

    // A question answered Cancel never shows the panel at all.
    seen.clear();
    prompter.expect(QStringLiteral("Confermi la cancellazione della domanda n. 10 ?"), QStringLiteral("VELTRANORPX"),
                    Icon::Information, Buttons::OkCancel, Answer::Cancel);
    screen.setCurrentRow(0);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdElimina"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(prompter);
    QCOMPARE(seen, (QList<QList<int>>{{false, true, 0}}));
    QCOMPARE(t.control.busyDepth(), 0);
}

void TstSeldoma::loginPageNobodyCanOpen()
{
    vx::test::TestContext t;
    RefusingDesktop desktop;
    Context ctx{t.state, t.db, t.prompter, t.control, desktop, t.clock};
    const QUrl page(QStringLiteral("https://127.0.0.1:8443/identita/accesso"));
    const Message cannotOpen{QStringLiteral("Impossibile aprire https://127.0.0.1:8443/identita/accesso.\nSu questo "
                                            "computer non c'è un programma che lo possa mostrare."),
                             QStringLiteral("VELTRANORPX"), Icon::Exclamation, Buttons::Ok};
    t.prompter.expect(cannotOpen);
    frmMailAggNembo2 screen(ctx, page);
    screen.show();
    VX_VERIFY_PROMPTS(t.prompter);
    // The address stays on the screen to be copied, and the button tells the same.
    QCOMPARE(child<QLineEdit>(&screen, "txtIndirizzo")->text(), page.toString());
    t.prompter.expect(cannotOpen);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdApri"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(t.prompter);
    QVERIFY(screen.isVisible());
}

QTEST_MAIN(TstSeldoma)
#include "tst_seldoma.moc"
