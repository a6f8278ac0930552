// The screens of start-up and configuration, opened offscreen with their controls wired.

#include "ScriptedPrompter.h"
#include "TestInstallation.h"

#include "app/AppControl.h"
#include "app/Clock.h"
#include "app/Context.h"
#include "app/Desktop.h"
#include "app/screens/Avvio.h"
#include "app/screens/Frm_Impostazioni.h"
#include "app/screens/MDI_Main.h"
#include "app/screens/SplashScreen.h"
#include "app/screens/frmOpzioni.h"
#include "app/screens/frmServerClient.h"
#include "assist/screens/ControllaEmail.h"
#include "assist/screens/frmMailAggInst.h"
#include "requests/screens/FrmnReg.h"
#include "requests/screens/Seldoma.h"
#include "requests/screens/frmMailAggNembo2.h"
#include "requests/SelectedRequest.h"
#include "store/Database.h"
#include "ui/QtPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTimer>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace vx;
using vx::test::IniValues;
using vx::test::ScriptedPrompter;
using vx::test::TestInstallation;

namespace {

class RecordingDesktop : public Desktop {
public:
    QList<QUrl> opened;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    bool showTextFile(const QString& path) override { return openUrl(QUrl::fromLocalFile(path)); }
};

struct Fixture {
    TestInstallation inst;
    AppState state;
    Database db;
    ScriptedPrompter prompter;
    AppControl control;
    RecordingDesktop desktop;
    Clock clock;
    Context ctx{state, db, prompter, control, desktop, clock};

    explicit Fixture(const IniValues& values = IniValues())
    {
        inst.writeIni(values);
        state = inst.state();
    }
};

template <typename T> T* child(QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w)
        qFatal("missing control %s", name);
    return w;
}

} // namespace

class TstScreens : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splashAndProgress();
    void serverClientChoice();
    void installationScreen();
    void installationScreenExit();
    void optionsScreen();
    void frameWindow();
    void controllaEmail();
    void dialogFilter();
    void requestSelectionScreen();
    void emailPrompt();
    void alternativeIdentityScreen();
    void numberRequestWindow();
};

void TstScreens::splashAndProgress()
{
    SplashScreen splash;
    splash.show();
    QVERIFY(child<QLabel>(&splash, "lblVersion")->text().startsWith(QStringLiteral("Ver. ")));
    QCOMPARE(SplashScreen::versionText(), QStringLiteral("Ver. 1.0.0"));

    Avvio avvio;
    avvio.showStep(QStringLiteral("INSTALLAZIONE"), QStringLiteral("Attendere..."));
    avvio.showProgress(QStringLiteral("Comuni.txt"), QStringLiteral("Comuni"), 120);
    QCOMPARE(avvio.windowTitle(), QStringLiteral("  Installazione"));
    QCOMPARE(child<QLabel>(&avvio, "lblTitolo")->text(), QStringLiteral("INSTALLAZIONE"));
    QCOMPARE(child<QLabel>(&avvio, "Label4")->text(), QStringLiteral("Attendere..."));
    QCOMPARE(child<QLabel>(&avvio, "lblNRec")->text(), QStringLiteral("120"));
}

void TstScreens::serverClientChoice()
{
    Fixture f;
    f.state.version = QStringLiteral("vecchia");
    IniFile ini = f.inst.ini();
    frmServerClient screen(f.ctx, ini);
    screen.show();
    QCOMPARE(f.state.version, QString());
    QVERIFY(!child<QRadioButton>(&screen, "optServer")->isChecked());
    QVERIFY(!child<QRadioButton>(&screen, "optClient")->isChecked());

    f.prompter.expect(QStringLiteral("Scegliere la versione dell'applicativo: SERVER o CLIENT"),
                      QStringLiteral("Controllo dati"), Icon::Critical);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdOK"), Qt::LeftButton);
    QVERIFY(screen.isVisible());
    child<QRadioButton>(&screen, "optServer")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdOK"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QCOMPARE(f.state.version, QStringLiteral("SERVER"));
    QCOMPARE(f.inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Versione")), QStringLiteral("SERVER"));
}

void TstScreens::installationScreen()
{
    IniValues values;
    values.fileHelp = QStringLiteral("manca.html");
    Fixture f(values);
    f.prompter.expect(QStringLiteral("File di Aiuto non presente"), QStringLiteral("Imposta Aiuto"), Icon::Exclamation);
    IniFile ini = f.inst.ini();
    Frm_Impostazioni screen(f.ctx, ini);
    screen.show();
    QVERIFY(child<QRadioButton>(&screen, "opt_Locale")->isChecked());

    f.prompter.expect(QStringLiteral("File di Aiuto non presente"), QStringLiteral("Aiuto"), Icon::Information);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdHelp"), Qt::LeftButton);

    f.prompter.expect(QStringLiteral("Selezionare una base dati."), QStringLiteral("Controllo dati"), Icon::Critical);
    QTest::mouseClick(child<QPushButton>(&screen, "Cmd_Ok"), Qt::LeftButton);
    QVERIFY(screen.isVisible());

    // A long path is shown shortened, whole in the tooltip.
    const QString deep = f.inst.folder() + QStringLiteral("una/cartella/molto/profonda/per/la/base/dati/");
    QDir().mkpath(deep);
    const QString path = deep + QStringLiteral("Archivio.DB");
    QVERIFY(QFile::copy(f.inst.databasePath(), path));
    f.prompter.expectOpenFile(path);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdSfoglia"), Qt::LeftButton);
    auto* box = child<QLineEdit>(&screen, "txtDatabase");
    QCOMPARE(box->text(), path.left(55) + QStringLiteral("..."));
    QCOMPARE(box->toolTip(), path);

    child<QRadioButton>(&screen, "opt_InRete")->setChecked(true);
    QTest::mouseClick(child<QPushButton>(&screen, "Cmd_Ok"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QCOMPARE(f.state.installationType, QStringLiteral("Multiutenza"));
    QCOMPARE(f.state.databasePath, path);
    QCOMPARE(f.state.databaseFileName, QStringLiteral("Archivio.DB"));
    QVERIFY(!f.control.ended());
}

void TstScreens::installationScreenExit()
{
    Fixture f;
    IniFile ini = f.inst.ini();
    Frm_Impostazioni screen(f.ctx, ini);
    screen.show();
    const Message question{QStringLiteral("Si è sicuri di voler interrompere l'installazione?"),
                           QStringLiteral("Installazione"), Icon::None, Buttons::YesNo};
    f.prompter.expect(question, Answer::No).expect(question, Answer::Yes);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdEsci"), Qt::LeftButton);
    QVERIFY(screen.isVisible());
    QTest::keyClick(&screen, Qt::Key_Escape);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended());
    QCOMPARE(screen.result(), int(QDialog::Rejected));
    QVERIFY(!screen.isVisible());
}

void TstScreens::optionsScreen()
{
    Fixture f;
    UserSettings().setEmail(QStringLiteral("segreteria@ente.example"));
    UserSettings().setLastUpdate(QStringLiteral("01/02/2026"));
    const QByteArray iniBefore = f.inst.iniBytes();
    frmOpzioni screen(f.ctx);
    screen.show();
    QVERIFY(child<QRadioButton>(&screen, "optLocale")->isChecked());
    QCOMPARE(child<QLineEdit>(&screen, "txtDatabase")->text(), f.inst.databasePath());
    QCOMPARE(child<QLineEdit>(&screen, "txtEMail")->text(), QStringLiteral("segreteria@ente.example"));
    QVERIFY(child<QLabel>(&screen, "lblUltimoAgg")->text().endsWith(QStringLiteral("  01/02/2026")));
    QVERIFY(child<QCheckBox>(&screen, "ckCambia")->isChecked());
    QVERIFY(!screen.isModified());

    QTest::mouseClick(child<QCheckBox>(&screen, "ckSottolinea"), Qt::LeftButton);
    QVERIFY(screen.isModified());
    QVERIFY(!screen.installationChanged());

    // Own server chosen but left empty: the screen stays, with the focus on the host.
    QTest::mouseClick(child<QRadioButton>(&screen, "optMioServ"), Qt::LeftButton);
    f.prompter.expect(QStringLiteral("Indicare l'indirizzo del proprio server di posta."),
                      QStringLiteral("Salvataggio dati"), Icon::Critical);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdSalva"), Qt::LeftButton);
    QVERIFY(screen.isVisible());
    QTest::keyClicks(child<QLineEdit>(&screen, "txtMioServ"), QStringLiteral("smtp.ente.example"));
    QTest::mouseClick(child<QPushButton>(&screen, "cmdSalva"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QCOMPARE(f.inst.iniBytes(), iniBefore);
    QVERIFY(UserSettings().lookOptions().underline);
    QCOMPARE(UserSettings().serverMail(), QStringLiteral("smtp.ente.example"));

    // Typing a database path marks the installation settings as changed.
    frmOpzioni again(f.ctx);
    again.show();
    QTest::keyClicks(child<QLineEdit>(&again, "txtDatabase"), QStringLiteral("x"));
    QVERIFY(again.installationChanged());
    f.prompter.expect(QStringLiteral("Salvare le modifiche effettuate?"), QStringLiteral("Salvataggio"), Icon::None,
                      Buttons::YesNo, Answer::No);
    QTest::mouseClick(child<QPushButton>(&again, "cmdAnnulla"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!again.isVisible());
    QCOMPARE(f.inst.iniBytes(), iniBefore);
}

void TstScreens::frameWindow()
{
    Fixture f;
    QVERIFY(f.db.open(QString(), f.inst.databasePath(), Database::Mode::StandAlone));
    {
        MDI_Main frame(f.ctx);
        frame.show();
        QCOMPARE(frame.windowTitle(), QStringLiteral("Richiesta Profilazione Ruoli per Gestione Percorsi Formativi"));
        QVERIFY(frame.loadMainScreen());
        QVERIFY(frame.mainScreen());
        frame.close();
    }
    QVERIFY(!f.db.isOpen());
    QVERIFY(QFile::exists(f.inst.file(QStringLiteral("backup.001"))));
    QVERIFY(QFile::exists(f.inst.file(QStringLiteral("001.lst"))));
}

void TstScreens::controllaEmail()
{
    Fixture f;
    QLineEdit box;
    box.show();
    QApplication::setActiveWindow(&box);
    f.state.emailValid = true;
    f.prompter.expect(QStringLiteral("E' indispensabile indicare un indirizzo e-mail."),
                      QStringLiteral("Indirizzo e-mail"), Icon::Information);
    QVERIFY(!ControllaEmail(&box, f.prompter, f.state));
    QVERIFY(!f.state.emailValid);
    box.setText(QStringLiteral("mario.rossi@libero.it"));
    QVERIFY(ControllaEmail(&box, f.prompter, f.state));
    QVERIFY(f.state.emailValid);
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstScreens::dialogFilter()
{
    QCOMPARE(QtPrompter::dialogFilter(QStringLiteral("Database SQLite (*.db)|*.db")),
             QStringLiteral("Database SQLite (*.db)"));
    QCOMPARE(QtPrompter::dialogFilter(QStringLiteral("Backup Predefinito (VELTRANORPX.zip)|VELTRANORPX.zip|WinZip File "
                                                     "(*.zip)|*.zip")),
             QStringLiteral("Backup Predefinito (VELTRANORPX.zip);;WinZip File (*.zip)"));
    QCOMPARE(QtPrompter::dialogFilter(QStringLiteral("Testo|*.txt")), QStringLiteral("Testo (*.txt)"));
}

void TstScreens::requestSelectionScreen()
{
    IniValues values;
    values.numDoma = QStringLiteral("11");
    Fixture f(values);
    f.inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    f.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
    f.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("ISTITUTO"));
    f.inst.addRequest(10, QStringLiteral("B"), 7, QStringLiteral("001"), 1);
    f.inst.addRequest(11, QStringLiteral("B"), 7, QStringLiteral("001"), 2, true);
    QVERIFY(f.db.open(QString(), f.inst.databasePath(), Database::Mode::StandAlone));
    IniFile ini = f.inst.ini();
    SalvaVarINI(f.db, ini, f.prompter, 11, f.state.selected);

    Seldoma screen(f.ctx);
    screen.show();
    QCOMPARE(screen.windowTitle(), QStringLiteral("Selezione Richiesta"));
    auto* ops = child<QComboBox>(&screen, "cmbOpe");
    QCOMPARE(ops->count(), 2);
    QCOMPARE(ops->currentText(), QStringLiteral("B  7  ISTITUTO"));
    QCOMPARE(child<QComboBox>(&screen, "cmbProv")->currentText(), QStringLiteral("001 - TO - TORINO"));
    auto* grid = child<QTableView>(&screen, "grdDomande");
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("n. domada"));
    QCOMPARE(grid->model()->data(grid->model()->index(1, 2)).toString(), QStringLiteral("Sì"));
    QCOMPARE(grid->currentIndex().row(), 1);
    QVERIFY(!child<QWidget>(&screen, "panel_Attesa")->isVisible());

    // The other operator has no Requests: select and delete say so.
    ops->setCurrentIndex(0);
    QCOMPARE(grid->model()->rowCount(), 0);
    f.prompter.expect(QStringLiteral("E' necessario inserire una domanda"), QStringLiteral("Selezione Domanda"),
                      Icon::Critical)
        .expect(QStringLiteral("Nessuna riga da eliminare."), QStringLiteral("Elimina Domanda"), Icon::Information);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdConfer"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(&screen, "cmdElimina"), Qt::LeftButton);

    // A double click on a row selects it and closes the screen.
    ops->setCurrentIndex(1);
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QCOMPARE(f.state.selected.number, 10);
    QCOMPARE(f.inst.readIni(QStringLiteral("BaseDati"), QStringLiteral("NumDoma")), QStringLiteral("10"));

    // Cancel with a Request selected simply closes.
    Seldoma again(f.ctx);
    again.show();
    QTest::mouseClick(child<QPushButton>(&again, "cmdAnnul"), Qt::LeftButton);
    QVERIFY(!again.isVisible());
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstScreens::emailPrompt()
{
    Fixture f;
    frmMailAggInst prompt(f.ctx);
    prompt.show();
    auto* box = child<QLineEdit>(&prompt, "txtEMail");
    QCOMPARE(box->text(), QStringLiteral("Indirizzo e-mail..."));
    f.prompter.expect(QStringLiteral("L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o internamente."),
                      QStringLiteral("Indirizzo e-mail"), Icon::Information);
    QTest::mouseClick(child<QPushButton>(&prompt, "cmdConferma"), Qt::LeftButton);
    QVERIFY(prompt.isVisible());
    box->setText(QStringLiteral("ufficio@ente.example"));
    QTest::mouseClick(child<QPushButton>(&prompt, "cmdConferma"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(prompt.result(), int(QDialog::Accepted));
    QVERIFY(f.state.emailValid);
    QCOMPARE(UserSettings().email(), QStringLiteral("ufficio@ente.example"));
}

void TstScreens::alternativeIdentityScreen()
{
    Fixture f;
    const QUrl page(QStringLiteral("https://127.0.0.1:8443/identita/accesso"));
    frmMailAggNembo2 screen(f.ctx, page);
    screen.show();
    QCOMPARE(f.desktop.opened, QList<QUrl>{page});
    QCOMPARE(child<QLineEdit>(&screen, "txtIndirizzo")->text(), page.toString());
    child<QPlainTextEdit>(&screen, "TxtRisposta")->setPlainText(QStringLiteral("Risposta: OK;123;4;A12"));
    QTest::mouseClick(child<QPushButton>(&screen, "imgConferma"), Qt::LeftButton);
    QCOMPARE(screen.answer(), QStringLiteral("Risposta: OK;123;4;A12"));
    QCOMPARE(screen.result(), int(QDialog::Accepted));
}

void TstScreens::numberRequestWindow()
{
    int calls = 0;
    FrmnReg window([&] {
        ++calls;
        return qint32(4242);
    });
    QTimer::singleShot(10000, &window, &QDialog::reject); // never hang the suite
    QCOMPARE(window.exec(), int(QDialog::Accepted));
    QCOMPARE(calls, 1);
    QCOMPARE(window.number(), 4242);
}

QTEST_MAIN(TstScreens)
#include "tst_screens.moc"
