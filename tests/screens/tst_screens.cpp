// The screens of start-up and configuration, opened offscreen with their controls wired.

#include "Support.h"
#include "TestContext.h"
#include "Version.h"

#include "app/screens/Avvio.h"
#include "app/screens/Frm_Impostazioni.h"
#include "app/screens/MDI_Main.h"
#include "app/screens/Main.h"
#include "app/screens/SplashScreen.h"
#include "app/screens/frmOpzioni.h"
#include "app/screens/frmServerClient.h"
#include "assist/screens/ControllaEmail.h"
#include "assist/screens/frmMailAggInst.h"
#include "net/Exchange.h"
#include "print/PainterPrintTarget.h"
#include "print/RequestPrint.h"
#include "print/screens/StBozza.h"
#include "print/screens/Trasmis.h"
#include "refdata/Messages.h"
#include "refdata/screens/frmOperatori.h"
#include "requests/SelectedRequest.h"
#include "requests/screens/FrmnReg.h"
#include "requests/screens/Seldoma.h"
#include "requests/screens/frmMailAggNembo2.h"
#include "roles/Messages.h"
#include "roles/RoleCodes.h"
#include "roles/screens/FrmPartner.h"
#include "roles/screens/frmElencoSoggetti.h"
#include "ui/KeyFilters.h"
#include "ui/QtPrompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QTableWidget>
#include <QTimer>

using namespace vx;

namespace {

using Fixture = vx::test::InstalledContext;

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
    void italianWhateverTheSystem();
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
    void keyboardRules();
    void personCard();
    void rolesListOnAPrintedRequest();
    void rolesListOpensTheHighlightedRow();
    void cardFocusAfterAFailedCheck();
    void mainScreen();
    void printScreens();
    void operatorListScreen();
    void databaseUpdateQuestions();
    void listingOnQtsPdfPrinter();
};

void TstScreens::italianWhateverTheSystem()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    useItalian();
    QCOMPARE(QLocale().language(), QLocale::Italian);
    QCalendarWidget calendar;
    QCOMPARE(calendar.locale().dayName(1), QStringLiteral("lunedì"));
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Sì"));
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Annulla"));
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("fileTypeLabel"))->text().remove(QLatin1Char('&')),
             QStringLiteral("File di tipo:"));
}

void TstScreens::splashAndProgress()
{
    SplashScreen splash;
    splash.show();
    QVERIFY(child<QLabel>(&splash, "lblVersion")->text().startsWith(QStringLiteral("Ver. ")));
    QCOMPARE(SplashScreen::versionText(), QStringLiteral("Ver. ") + QString::fromLatin1(kVersionText));

    Avvio avvio;
    avvio.showStep(QStringLiteral("INSTALLAZIONE"), QStringLiteral("Attendere..."));
    avvio.showProgress(QStringLiteral("Comuni.txt"), QStringLiteral("Comuni"), 120);
    QCOMPARE(avvio.windowTitle(), QStringLiteral("  Installazione"));
    QCOMPARE(child<QLabel>(&avvio, "lblTitolo")->text(), QStringLiteral("INSTALLAZIONE"));
    QCOMPARE(child<QLabel>(&avvio, "Label4")->text(), QStringLiteral("Attendere..."));
    QCOMPARE(child<QLabel>(&avvio, "lblNRec")->text(), QStringLiteral("120"));
    // The rows of a pass move the bar when their total is known; the file stays named.
    auto* bar = child<QProgressBar>(&avvio, "prbAvanzamento");
    avvio.showProgress(QString(), QStringLiteral("Comuni"), 400, 400, 800);
    QCOMPARE(child<QLabel>(&avvio, "lblFile")->text(), QStringLiteral("Comuni.txt"));
    QCOMPARE(bar->maximum(), 800);
    QCOMPARE(bar->value(), 400);
    // A new step starts from nothing.
    avvio.showStep(QStringLiteral("INSTALLAZIONE"), QStringLiteral("Attendere..."));
    QVERIFY(child<QLabel>(&avvio, "lblFile")->text().isEmpty());
    QCOMPARE(bar->maximum(), 0);
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
    Fixture f({.fileHelp = QStringLiteral("manca.html")});
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
    QVERIFY(f.open(Database::Mode::StandAlone));
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
    Fixture f({.numDoma = QStringLiteral("11")});
    f.inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    f.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
    f.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("ISTITUTO"));
    f.inst.addRequest(10, QStringLiteral("B"), 7, QStringLiteral("001"), 1);
    f.inst.addRequest(11, QStringLiteral("B"), 7, QStringLiteral("001"), 2, true);
    QVERIFY(f.open(Database::Mode::StandAlone));
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
    f.prompter
        .expect(QStringLiteral("E' necessario inserire una domanda"), QStringLiteral("Selezione Domanda"),
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
    f.prompter.expect(
        QStringLiteral("L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o internamente."),
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

void TstScreens::keyboardRules()
{
    Fixture f;
    QWidget window;
    auto* upper = new QLineEdit(&window);
    auto* digits = new QLineEdit(&window);
    installUpperCase(upper, f.prompter);
    installInteger(digits, f.prompter);
    replaceSharp(upper);
    window.show();

    f.prompter
        .expect(QStringLiteral("Non è possibile inserire il carattere #."), QStringLiteral("Verifica cancelletto"),
                Icon::Information)
        .expect(QStringLiteral("Carattere non numerico"), QStringLiteral("Campo Numerico"), Icon::Information);
    QTest::keyClicks(upper, QStringLiteral("ro#ssi"));
    QCOMPARE(upper->text(), QStringLiteral("ROSSI"));
    QTest::keyClicks(digits, QStringLiteral("01a1"));
    QTest::keyClick(digits, Qt::Key_Return);
    QTest::keyClick(digits, Qt::Key_Backspace);
    QCOMPARE(digits->text(), QStringLiteral("01"));
    VX_VERIFY_PROMPTS(f.prompter);

    // Ctrl+V passes the filters; a pasted "#" becomes "SHARP".
    QGuiApplication::clipboard()->setText(QStringLiteral("A#B"));
    QTest::keyClick(upper, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(upper->text(), QStringLiteral("ROSSIASHARPB"));
    QGuiApplication::clipboard()->setText(QStringLiteral("55"));
    QTest::keyClick(digits, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(digits->text(), QStringLiteral("0155"));
    VX_VERIFY_PROMPTS(f.prompter);
}

namespace {
void addDemoOperator(Fixture& f, bool printed)
{
    f.inst.addProvince(QStringLiteral("001"), QStringLiteral("TORINO"), QStringLiteral("TO"));
    f.inst.addOperator(QStringLiteral("A"), 12, QStringLiteral("CENTRO"));
    f.inst.sql(QStringLiteral("INSERT INTO CorsiCompo (GrupOpe, Operatore, Componente, TipoCompo, Denominazione, "
                              "Indirizzo) VALUES ('A', 12, 1, 'SL', 'SEDE LEGALE', 'VIA ROMA 1'), "
                              "('A', 12, 2, 'SO', 'SEDE OPERATIVA', 'VIA PO 2')"));
    f.inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1, printed);
    QVERIFY(f.open());
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 10);
}
} // namespace

void TstScreens::personCard()
{
    Fixture f;
    addDemoOperator(f, false);
    RoleKey key;
    FrmPartner card(f.ctx, key);
    card.show();
    // The window holds its content at its natural size: no blank band between the list and the notes.
    QCOMPARE(card.height(), card.sizeHint().height());
    child<QComboBox>(&card, "CmbRuolo")->setCurrentIndex(5); // role 3
    QCOMPARE(child<QLabel>(&card, "lblNoteGrassetto")->text(), roles::noteHeading(3));
    child<QComboBox>(&card, "cmbCompo")->setCurrentIndex(2);
    const char* fields[] = {"txtCodFiscale", "txtCognome", "txtNome",  "txtGG",
                            "txtMM",         "txtAAAA",    "txtEmail", "txtTelefono"};
    const QStringList typed{"rssmra85t10a562s", "rossi", "mario", "10", "12", "1985", "mario@ente.it", "0115550101"};
    for (int i = 0; i < 8; ++i)
        QTest::keyClicks(child<QLineEdit>(&card, fields[i]), typed[i]);
    QTest::mouseClick(child<QPushButton>(&card, "cmdSalva"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(card.saved());
    QCOMPARE(key, (RoleKey{QStringLiteral("RSSMRA85T10A562S"), QStringLiteral("A"), 12, 2, 3}));

    // The list opens over the main window at its size, and shows the row.
    QWidget main;
    main.resize(1200, 800);
    frmElencoSoggetti list(f.ctx, &main);
    QCOMPARE(list.size(), main.size());
    QCOMPARE(list.model()->rowCount(), 1);
    QVERIFY(!child<QPushButton>(&list, "CmdImportaTutto")->isVisibleTo(&list));
}

void TstScreens::rolesListOnAPrintedRequest()
{
    Fixture f;
    addDemoOperator(f, true);
    frmElencoSoggetti list(f.ctx);
    QVERIFY(!child<QPushButton>(&list, "CmdInsPartner")->isEnabled());
    QVERIFY(!child<QPushButton>(&list, "CmdCancPartner")->isEnabled());
    QVERIFY(child<QPushButton>(&list, "CmdModPartner")->isEnabled());
    RoleKey key;
    f.prompter.expect(msg::roles::cardReadOnly());
    FrmPartner card(f.ctx, key);
    card.show();
    QVERIFY(!child<QPushButton>(&card, "cmdSalva")->isEnabled());
    QVERIFY(child<QLineEdit>(&card, "txtCognome")->isReadOnly());
    QTest::keyClick(&card, Qt::Key_Escape);
    QVERIFY(!card.isVisible());
    VX_VERIFY_PROMPTS(f.prompter);
}

// Enter and a double click on the grid modify the highlighted row; a row that another workstation
// deleted meanwhile opens no card.
void TstScreens::rolesListOpensTheHighlightedRow()
{
    Fixture f;
    addDemoOperator(f, false);
    f.inst.addPerson(10, QStringLiteral("RSSMRA85T10A562S"), 3, 2);
    frmElencoSoggetti list(f.ctx);
    list.show();
    QApplication::setActiveWindow(&list);
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTableView* grid = list.grid();
    grid->setFocus();
    int opened = 0;
    auto closeTheCard = [&opened, &list] {
        QTimer::singleShot(0, &list, [&opened] {
            if (auto* card = qobject_cast<FrmPartner*>(QApplication::activeModalWidget())) {
                opened += card->values().codFiscale == QLatin1String("RSSMRA85T10A562S");
                card->done(QDialog::Rejected);
            }
        });
    };
    closeTheCard();
    QTest::keyClick(grid, Qt::Key_Return);
    closeTheCard();
    const QPoint onTheRow = grid->visualRect(list.model()->index(0, 2)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, onTheRow); // a double click's first press
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, onTheRow);
    QCOMPARE(opened, 2);

    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.prompter.expect(msg::roles::rowGone());
    closeTheCard();
    QTest::mouseClick(child<QPushButton>(&list, "CmdModPartner"), Qt::LeftButton);
    QCoreApplication::processEvents();
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(opened, 2);
    QCOMPARE(list.model()->rowCount(), 0);
}

// With the desktop's message boxes: the box takes the activation, and the field at fault has the
// focus once it is closed.
void TstScreens::cardFocusAfterAFailedCheck()
{
    Fixture f;
    addDemoOperator(f, false);
    QtPrompter desktopPrompter;
    Context ctx{f.state, f.db, desktopPrompter, f.control, f.desktop, f.clock};
    RoleKey key;
    FrmPartner card(ctx, key);
    card.show();
    QApplication::setActiveWindow(&card);
    QVERIFY(QTest::qWaitForWindowActive(&card));
    const char* fields[] = {"txtCodFiscale", "txtCognome", "txtNome", "txtGG", "txtAAAA", "txtEmail", "txtTelefono"};
    const QStringList values{"RSSMRA85T10A562S", "ROSSI", "MARIO", "10", "1985", "mario@ente.it", "0115550101"};
    for (int i = 0; i < 7; ++i)
        child<QLineEdit>(&card, fields[i])->setText(values[i]);
    child<QComboBox>(&card, "CmbRuolo")->setCurrentIndex(2); // and no month
    auto* save = child<QPushButton>(&card, "cmdSalva");
    save->setFocus();
    bool shown = false;
    QTimer::singleShot(50, &card, [&shown] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shown = true;
            box->close();
        }
    });
    QTest::mouseClick(save, Qt::LeftButton);
    QVERIFY(shown);
    QVERIFY(card.isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(&card, "txtMM"));
}

void TstScreens::printScreens()
{
    Fixture f;
    f.inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    const QString answer = QStringLiteral("File VELTRANORPX_6_10.A12 ricevuto. Trasmissione completata con successo");
    for (const char* when : {"2026-12-06 10:15:00", "2026-12-06 11:20:30"})
        f.inst.sql(QStringLiteral("INSERT INTO Trasmissioni (DataOra, NumDoma, NomeFile, Dimensione, SHA256, Esito, "
                                  "Risposta) VALUES (?, 10, 'VELTRANORPX_6_10.A12', 1234, '', 'Trasmessa', ?)"),
                   {QString::fromLatin1(when), answer});
    QVERIFY(f.open());
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 10);

    // Not printed yet: send and save are off; once printed, on.
    QVERIFY(!child<QPushButton>(std::make_unique<Trasmis>(f.ctx).get(), "cmdSend")->isEnabled());
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    Trasmis delivery(f.ctx);
    QVERIFY(child<QPushButton>(&delivery, "cmdSend")->isEnabled());
    QVERIFY(child<QPushButton>(&delivery, "cmdSalva")->isEnabled());
    QVERIFY(!child<QPushButton>(&delivery, "cmdInterrompi")->isEnabled());

    // The history: newest first, every column as wide as its text, each text whole in its tooltip.
    delivery.show();
    auto* history = child<QTableWidget>(&delivery, "lstTrasmissioni");
    QCOMPARE(history->rowCount(), 2);
    QCOMPARE(history->item(0, 0)->text(), QStringLiteral("06/12/2026 11:20:30"));
    QCOMPARE(history->item(1, 0)->text(), QStringLiteral("06/12/2026 10:15:00"));
    for (int column = 0; column < 4; ++column)
        QVERIFY(history->columnWidth(column) >= history->fontMetrics().horizontalAdvance(history->item(0, column)->text()));
    QCOMPARE(history->item(0, 4)->toolTip(), answer);
}

void TstScreens::listingOnQtsPdfPrinter()
{
    // The printer a computer without printers offers: Qt's PDF output, chosen in the set-up dialog.
    Fixture f;
    f.inst.addOperatorWithRequest(10);
    f.inst.addRole(test::rossi(10));
    QVERIFY(f.open());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(f.inst.file(QStringLiteral("elenco.pdf")));
    PainterPrintTarget target(printer);
    QVERIFY(printListing(target, f.db, 10, QDate(2026, 3, 5), listing::Ending::PageNumber).ok);
    QVERIFY(test::readFile(printer.outputFileName()).startsWith("%PDF-"));
}

void TstScreens::mainScreen()
{
    Fixture f;
    addDemoOperator(f, false);
    f.state.selected.operatorName = QStringLiteral("OPERATORE CON UN NOME MOLTO LUNGO");
    Main screen(f.ctx);
    QVERIFY(screen.load());
    screen.show();
    QCOMPARE(screen.windowTitle(), CommandGating::caption(QStringLiteral("SERVER")));
    QCOMPARE(screen.label(QStringLiteral("lblDenOpe"))->text(), QStringLiteral("-  OPERATORE CON UN NOME MO..."));
    QCOMPARE(screen.label(QStringLiteral("LblNumDoma"))->text(), QStringLiteral("10"));
    QVERIFY(screen.button(QStringLiteral("cmdAggInst"))->isEnabled());
    QVERIFY(screen.label(QStringLiteral("lblAggiorna"))->isVisible());

    // Hovering a command: red, bold and underlined by the look options, and its hint.
    f.state.look = {true, true, true};
    QLabel* draft = screen.label(QStringLiteral("lblStBozza"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(draft, &enter);
    QCOMPARE(draft->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(draft->font().bold() && draft->font().underline());
    QCOMPARE(screen.hint(), QStringLiteral("Stampa Bozza della Domanda in compilazione"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(draft, &leave);
    QCOMPARE(draft->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(!draft->font().bold());
    QCOMPARE(screen.hint(), QString()); // the status bar no longer names it

    // The draft print runs its checks (no verifier), then opens the print dialog for the draft.
    f.prompter.expect(
        QStringLiteral("Non risulta essere stato inserito nemmeno un soggetto con il ruolo di Verificatore.\n"
                       "Cio' potrebbe rappresentare una anomalia.\nIn caso di dubbi verificare nuovamente i "
                       "dati prima di procedere alla stampa definitiva.\nIn caso contrario ignorare questo "
                       "messaggio."),
        QStringLiteral("Controllo Compilazione"), Icon::Information);
    QString dialogTitle;
    QTimer::singleShot(0, &screen, [&dialogTitle] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            dialogTitle = dialog->windowTitle();
            dialog->reject();
        }
    });
    QTest::mouseClick(draft, Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(dialogTitle, QStringLiteral("Stampa Bozza"));

    // A printed Request turns the update command off at the next activation.
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 10);
    screen.activation();
    QVERIFY(!screen.button(QStringLiteral("cmdAggInst"))->isEnabled());
    QVERIFY(!screen.label(QStringLiteral("lblAggiorna"))->isEnabled());

    // The calendar label shows and hides the calendar.
    QLabel* calendar = screen.label(QStringLiteral("lblCalendario"));
    QTest::mouseClick(calendar, Qt::LeftButton);
    QCOMPARE(calendar->toolTip(), QStringLiteral("Nascondi calendario"));
    QTest::mouseClick(calendar, Qt::LeftButton);
    QCOMPARE(calendar->toolTip(), QStringLiteral("Mostra calendario"));
}

void TstScreens::operatorListScreen()
{
    Fixture f;
    addDemoOperator(f, false);
    f.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("SCUOLA"));
    Exchange exchange(ExchangeSettings{});
    frmOperatori screen(f.ctx, exchange);
    auto* list = child<QListWidget>(&screen, "lstOperatori");
    auto* group = child<QLineEdit>(&screen, "txtGruppo");
    auto* code = child<QLineEdit>(&screen, "txtCodice");
    // A click copies the entry's key into the fields; Enter in the code field inserts (the group
    // becomes a capital); Delete removes the selected entry; Cancel sets the update's course.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(group->text() + code->text(), QStringLiteral("B7"));
    group->clear();
    QTest::keyClicks(group, QStringLiteral("c"));
    code->setText(QStringLiteral("305"));
    QTest::keyClick(code, Qt::Key_Return);
    QCOMPARE(screen.list().entries().last().text(), QStringLiteral("C-305      - "));
    list->setCurrentRow(0);
    child<QPushButton>(&screen, "cmdElimina")->click();
    QCOMPARE(list->count(), 2);
    f.state.updateResult = AppState::kUpdateGoOn;
    child<QPushButton>(&screen, "cmdAnnulla")->click();
    QCOMPARE(f.state.updateResult, AppState::kUpdateCancelled);
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstScreens::databaseUpdateQuestions()
{
    // The main screen's update command reaches the update's course: its questions, then the
    // operator list; the connection is back afterwards.
    Fixture f;
    addDemoOperator(f, false);
    f.state.databasePath = f.inst.databasePath(); // the installation's, as start-up reads it
    Main screen(f.ctx);
    QVERIFY(screen.load());
    f.prompter.expect(msg::refdata::internetQuestion(), Answer::Ok)
        .expect(msg::refdata::clientsQuestion(), Answer::Yes);
    bool listOpened = false;
    QTimer::singleShot(0, &screen, [&] {
        if (auto* list = qobject_cast<frmOperatori*>(QApplication::activeModalWidget())) {
            listOpened = screen.label(QStringLiteral("panel_Attesa"))->isVisible();
            list->reject();
        }
    });
    screen.show();
    screen.button(QStringLiteral("cmdAggInst"))->click();
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(listOpened);
    QVERIFY(f.db.isOpen() && screen.label(QStringLiteral("panel_Attesa"))->isHidden());
}

QTEST_MAIN(TstScreens)
#include "tst_screens.moc"
