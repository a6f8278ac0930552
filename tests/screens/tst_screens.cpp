// The screens of start-up and configuration, opened offscreen with their controls wired.

#include "RequestsFixture.h"
#include "TestContext.h"
#include "Version.h"

#include "app/Messages.h"
#include "app/screens/Avvio.h"
#include "app/screens/Frm_Impostazioni.h"
#include "app/screens/MDI_Main.h"
#include "app/screens/Main.h"
#include "app/screens/SplashScreen.h"
#include "app/screens/frmOpzioni.h"
#include "app/screens/frmServerClient.h"
#include "assist/screens/ControllaEmail.h"
#include "assist/screens/frmMailAggInst.h"
#include "core/Messages.h"
#include "net/Exchange.h"
#include "print/PainterPrintTarget.h"
#include "print/RequestPrint.h"
#include "print/screens/StBozza.h"
#include "print/screens/Trasmis.h"
#include "refdata/screens/frmOperatori.h"
#include "requests/Messages.h"
#include "requests/SelectedRequest.h"
#include "requests/screens/FrmnReg.h"
#include "requests/screens/Seldoma.h"
#include "requests/screens/frmMailAggNembo2.h"
#include "roles/screens/FrmPartner.h"
#include "roles/screens/frmElencoSoggetti.h"
#include "ui/KeyFilters.h"
#include "ui/Messages.h"
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
    void serverClientChoice();
    void installationScreen();
    void optionsScreen();
    void frameWindow();
    void requestSelectionScreen();
    void alternativeIdentityScreen();
    void keyboardRules();
    void personCard();
    void rolesListOnAPrintedRequest();
    void rolesListOpensTheHighlightedRow();
    void cardFocusAfterAFailedCheck_data();
    void cardFocusAfterAFailedCheck();
    void mainScreen();
    void printScreens();
    void operatorListScreen();
    void databaseUpdateQuestions_data();
    void databaseUpdateQuestions();
    void databaseUpdateWhileAnotherHoldsTheDatabase();
    void listingOnQtsPdfPrinter();
};

void TstScreens::italianWhateverTheSystem()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    useItalian();
    QCOMPARE(QLocale().toString(QDate(2026, 12, 6), QLocale::LongFormat), QStringLiteral("domenica 6 dicembre 2026"));
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::Cancel);
    QCOMPARE(box.button(QDialogButtonBox::Yes)->text().remove(QLatin1Char('&')), QStringLiteral("Sì"));
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("Annulla"));
}

void TstScreens::serverClientChoice()
{
    Fixture f;
    IniFile ini = f.inst.ini();
    frmServerClient screen(f.ctx, ini);
    screen.show();
    f.prompter.expect(msg::app::chooseVersion());
    child<QPushButton>(&screen, "cmdOK")->click();
    child<QRadioButton>(&screen, "optServer")->setChecked(true);
    child<QPushButton>(&screen, "cmdOK")->click();
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QCOMPARE(f.inst.readIni(QStringLiteral("Installazione"), QStringLiteral("Versione")), QStringLiteral("SERVER"));
}

void TstScreens::installationScreen()
{
    Fixture f({.fileHelp = QStringLiteral("manca.html")});
    f.prompter.expect(msg::core::helpFileNotConfigured()).expect(msg::core::helpFileMissing());
    f.prompter.expect(msg::app::noDatabaseChosen());
    IniFile ini = f.inst.ini();
    Frm_Impostazioni screen(f.ctx, ini);
    screen.show();
    child<QPushButton>(&screen, "cmdHelp")->click();
    child<QPushButton>(&screen, "Cmd_Ok")->click();
    // A long path is shown shortened, whole in the tooltip.
    const QString path = f.inst.file(QStringLiteral("una/cartella/molto/profonda/per/la/base/dati/Archivio.DB"));
    QVERIFY(QDir().mkpath(QFileInfo(path).path()) && QFile::copy(f.inst.databasePath(), path));
    f.prompter.expectOpenFile(path);
    child<QPushButton>(&screen, "cmdSfoglia")->click();
    QCOMPARE(child<QLineEdit>(&screen, "txtDatabase")->toolTip(), path);
    child<QRadioButton>(&screen, "opt_InRete")->setChecked(true);
    child<QPushButton>(&screen, "Cmd_Ok")->click();
    QCOMPARE(f.state.installationType + f.state.databasePath, QStringLiteral("Multiutenza") + path);
    // Leaving asks first; Yes ends the program.
    f.prompter.expect(msg::core::helpFileNotConfigured());
    f.prompter.expect(msg::app::abortInstallation(), Answer::No).expect(msg::app::abortInstallation(), Answer::Yes);
    Frm_Impostazioni again(f.ctx, ini);
    again.show();
    child<QPushButton>(&again, "cmdEsci")->click();
    QVERIFY(again.isVisible() && !f.control.ended());
    QTest::keyClick(&again, Qt::Key_Escape);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(f.control.ended() && !again.isVisible());
}

void TstScreens::optionsScreen()
{
    Fixture f;
    const QString certificate = f.inst.folder() + QStringLiteral("certificati/segreteria.p12");
    UserSettings().setCertificate(certificate);
    const QByteArray iniBefore = f.inst.iniBytes();
    frmOpzioni screen(f.ctx);
    screen.show();
    // Wide enough for a full path, shown from its start; the window can be made larger.
    for (const char* name : {"txtDatabase", "txtEMail", "txtCertificato"}) {
        auto* field = child<QLineEdit>(&screen, name);
        QVERIFY2(field->width() > field->fontMetrics().horizontalAdvance(certificate), name);
        QCOMPARE(field->cursorPosition(), 0);
    }
    QVERIFY(screen.maximumWidth() > screen.width());
    // A look option marks the screen modified, not the installation; save reaches the user's settings.
    child<QCheckBox>(&screen, "ckSottolinea")->click();
    QVERIFY(screen.isModified() && !screen.installationChanged());
    child<QLineEdit>(&screen, "txtEMail")->setText(QStringLiteral("segreteria@ente.example"));
    child<QPushButton>(&screen, "cmdSalva")->click();
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QVERIFY(UserSettings().lookOptions().underline);
    // Typing a database path marks the installation settings changed; cancel asks first.
    frmOpzioni again(f.ctx);
    again.show();
    QTest::keyClicks(child<QLineEdit>(&again, "txtDatabase"), QStringLiteral("x"));
    QVERIFY(again.installationChanged());
    f.prompter.expect(msg::app::saveChanges(), Answer::No);
    child<QPushButton>(&again, "cmdAnnulla")->click();
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(!again.isVisible());
    QCOMPARE(f.inst.iniBytes(), iniBefore);
}

// The orderly end of a SERVER installation: the connection closed, the rotating copy made.
void TstScreens::frameWindow()
{
    Fixture f;
    QVERIFY(f.open(Database::Mode::StandAlone));
    auto frame = std::make_unique<MDI_Main>(f.ctx);
    frame->show();
    QVERIFY(frame->loadMainScreen());
    frame->close();
    QVERIFY(!f.db.isOpen() && QFile::exists(f.inst.file(QStringLiteral("backup.001"))));
}

void TstScreens::requestSelectionScreen()
{
    Fixture f({.numDoma = QStringLiteral("11")});
    f.inst.addOperatorWithRequest(10);
    f.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("ISTITUTO"));
    f.inst.addRequest(11, QStringLiteral("B"), 7, QStringLiteral("001"), 1, true);
    QVERIFY(f.open(Database::Mode::StandAlone));
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 11);
    Seldoma screen(f.ctx);
    screen.show();
    auto* ops = child<QComboBox>(&screen, "cmbOpe");
    auto* grid = child<QTableView>(&screen, "grdDomande");
    // The selected Request's operator and row; the grid follows the operator chosen; a double
    // click on a row selects it and closes the screen.
    QCOMPARE(ops->currentIndex(), 1);
    QCOMPARE(grid->currentIndex().row(), 0);
    ops->setCurrentIndex(0);
    const QRect cell = grid->visualRect(grid->model()->index(0, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(screen.result(), int(QDialog::Accepted));
    QCOMPARE(f.state.selected.number, 10);
}

void TstScreens::alternativeIdentityScreen()
{
    Fixture f;
    const QUrl page(QStringLiteral("https://127.0.0.1:8443/identita/accesso"));
    frmMailAggNembo2 screen(f.ctx, page);
    QCOMPARE(f.desktop.opened, QList<QUrl>{page});
    child<QPlainTextEdit>(&screen, "TxtRisposta")->setPlainText(QStringLiteral("Risposta: OK;123;4;A12"));
    child<QPushButton>(&screen, "imgConferma")->click();
    QCOMPARE(screen.answer(), QStringLiteral("Risposta: OK;123;4;A12"));
    // Where no program can open the page, the user is told, and its address stays on the screen.
    vx::test::RefusingDesktop refusing;
    Context ctx{f.state, f.db, f.prompter, f.control, refusing, f.clock};
    f.prompter.expect(msg::core::cannotOpen(page)).expect(msg::core::cannotOpen(page));
    frmMailAggNembo2 alone(ctx, page);
    child<QPushButton>(&alone, "cmdApri")->click();
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(child<QLineEdit>(&alone, "txtIndirizzo")->text(), page.toString());
}

// Capitals and no "#" in a text field, digits only in a number field; Ctrl+V passes the filters,
// and a pasted "#" becomes "SHARP".
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
    f.prompter.expect(msg::ui::sharpRefused()).expect(msg::ui::notADigit());
    QTest::keyClicks(upper, QStringLiteral("ro#ssi"));
    QTest::keyClicks(digits, QStringLiteral("01a1"));
    QTest::keyClick(digits, Qt::Key_Backspace);
    VX_VERIFY_PROMPTS(f.prompter);
    QGuiApplication::clipboard()->setText(QStringLiteral("A#B"));
    QTest::keyClick(upper, Qt::Key_V, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("55"));
    QTest::keyClick(digits, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(upper->text() + digits->text(), QStringLiteral("ROSSIASHARPB0155"));
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
    QCOMPARE(child<QComboBox>(&card, "cmbOpe")->currentText(), QStringLiteral("A  12  CENTRO"));
    auto* sites = child<QComboBox>(&card, "cmbCompo");
    QCOMPARE(sites->count(), 3);
    QCOMPARE(sites->currentIndex(), 0);
    auto* roleList = child<QComboBox>(&card, "CmbRuolo");
    QCOMPARE(roleList->count(), 8);
    roleList->setCurrentIndex(5); // role 3
    QCOMPARE(child<QLabel>(&card, "lblNoteGrassetto")->text(),
             QStringLiteral("Verificatore di Percorsi Formativi (SEDE):"));
    sites->setCurrentIndex(2);

    QTest::keyClicks(child<QLineEdit>(&card, "txtCodFiscale"), QStringLiteral("rssmra85t10a562s"));
    QTest::keyClicks(child<QLineEdit>(&card, "txtCognome"), QStringLiteral("rossi"));
    QTest::keyClicks(child<QLineEdit>(&card, "txtNome"), QStringLiteral("mario"));
    QTest::keyClicks(child<QLineEdit>(&card, "txtGG"), QStringLiteral("10"));
    QTest::keyClicks(child<QLineEdit>(&card, "txtMM"), QStringLiteral("12"));
    QTest::keyClicks(child<QLineEdit>(&card, "txtAAAA"), QStringLiteral("1985"));
    QTest::keyClicks(child<QLineEdit>(&card, "txtEmail"), QStringLiteral("mario@ente.it"));
    QTest::keyClicks(child<QLineEdit>(&card, "txtTelefono"), QStringLiteral("0115550101"));
    const RolePerson v = card.values();
    QCOMPARE(v.codFiscale, QStringLiteral("RSSMRA85T10A562S"));
    QCOMPARE(v.sede, 2);
    QCOMPARE(v.ruolo, 3);
    QTest::mouseClick(child<QPushButton>(&card, "cmdSalva"), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(card.saved());
    QCOMPARE(key.codFiscale, QStringLiteral("RSSMRA85T10A562S"));

    // The list shows it, and opens it again in modify mode.
    frmElencoSoggetti list(f.ctx);
    list.show();
    QCOMPARE(list.model()->rowCount(), 1);
    QCOMPARE(list.model()->headerData(7, Qt::Horizontal).toString(), QStringLiteral("Email"));
    QCOMPARE(list.model()->data(list.model()->index(0, 2)).toString(), QStringLiteral("ROSSI"));
    QVERIFY(child<QPushButton>(&list, "CmdInsPartner")->isEnabled());
    QVERIFY(!child<QPushButton>(&list, "CmdImportaTutto")->isVisible());

    RoleKey again = key;
    FrmPartner modify(f.ctx, again);
    modify.show();
    QCOMPARE(child<QLineEdit>(&modify, "txtCognome")->text(), QStringLiteral("ROSSI"));
    QCOMPARE(child<QComboBox>(&modify, "cmbCompo")->currentIndex(), 2);
    QCOMPARE(child<QComboBox>(&modify, "CmbRuolo")->currentText(),
             QStringLiteral("Verificatore di Percorsi Formativi (SEDE)"));
    QTest::mouseClick(child<QPushButton>(&modify, "cmdEsci"), Qt::LeftButton);
    QVERIFY(!modify.isVisible());
    VX_VERIFY_PROMPTS(f.prompter);
}

void TstScreens::rolesListOnAPrintedRequest()
{
    Fixture f;
    addDemoOperator(f, true);
    frmElencoSoggetti list(f.ctx);
    list.show();
    QVERIFY(!child<QPushButton>(&list, "CmdInsPartner")->isEnabled());
    QVERIFY(!child<QPushButton>(&list, "CmdCancPartner")->isEnabled());
    QVERIFY(child<QPushButton>(&list, "CmdModPartner")->isEnabled());

    RoleKey key;
    f.prompter.expect(QStringLiteral("Scheda già stampata. Modifiche non abilitate."), QStringLiteral("VELTRANORPX"),
                      Icon::None);
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
    f.inst.sql(QStringLiteral("INSERT INTO Ruoli VALUES (10, 'RSSMRA85T10A562S', 'ROSSI', 'MARIO', '10', '12', '1985', "
                              "'mario@ente.it', '0115550101', 'A', 12, 2, 3)"));
    frmElencoSoggetti list(f.ctx);
    list.show();
    QApplication::setActiveWindow(&list);
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTableView* grid = list.grid();
    grid->setFocus();
    QStringList opened; // the codice fiscale each opened card showed
    auto closeTheCard = [&opened, &list] {
        QTimer::singleShot(0, &list, [&opened] {
            if (auto* card = qobject_cast<FrmPartner*>(QApplication::activeModalWidget())) {
                opened.append(card->findChild<QLineEdit*>(QStringLiteral("txtCodFiscale"))->text());
                card->done(QDialog::Rejected);
            }
        });
    };

    closeTheCard();
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(opened, QStringList{QStringLiteral("RSSMRA85T10A562S")});
    closeTheCard();
    QTest::keyClick(grid, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(opened.size(), 2);
    closeTheCard();
    const QPoint onTheRow = grid->visualRect(list.model()->index(0, 2)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, onTheRow); // a double click's first press
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, onTheRow);
    QCOMPARE(opened.size(), 3);
    QCOMPARE(opened.last(), QStringLiteral("RSSMRA85T10A562S"));
    VX_VERIFY_PROMPTS(f.prompter);

    f.inst.sql(QStringLiteral("DELETE FROM Ruoli"));
    f.prompter.expect(QStringLiteral("Il record che si sta cercando di modificare è stato cancellato da un altro "
                                     "operatore."),
                      QStringLiteral("Accesso concorrente"), Icon::Exclamation);
    closeTheCard();
    QTest::mouseClick(child<QPushButton>(&list, "CmdModPartner"), Qt::LeftButton);
    QCoreApplication::processEvents();
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(opened.size(), 3);
    QCOMPARE(list.model()->rowCount(), 0);
}

void TstScreens::cardFocusAfterAFailedCheck_data()
{
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("field");
    QTest::newRow("required field") << "" << 2 << "Inserire il mese"
                                    << "txtMM";
    QTest::newRow("month against the code") << "11" << 2 << "Mese e codice fiscale non coerenti."
                                            << "txtMM";
    QTest::newRow("no role") << "12" << 0 << "Selezionare il ruolo."
                             << "CmbRuolo";
}

// With the desktop's message boxes: the box takes the activation, and the field at fault has the
// focus once it is closed.
void TstScreens::cardFocusAfterAFailedCheck()
{
    QFETCH(QString, month);
    QFETCH(int, role);
    QFETCH(QString, message);
    QFETCH(QString, field);
    Fixture f;
    addDemoOperator(f, false);
    QtPrompter desktopPrompter;
    Context ctx{f.state, f.db, desktopPrompter, f.control, f.desktop, f.clock};
    RoleKey key;
    FrmPartner card(ctx, key);
    card.show();
    QApplication::setActiveWindow(&card);
    QVERIFY(QTest::qWaitForWindowActive(&card));
    child<QLineEdit>(&card, "txtCodFiscale")->setText(QStringLiteral("RSSMRA85T10A562S"));
    child<QLineEdit>(&card, "txtCognome")->setText(QStringLiteral("ROSSI"));
    child<QLineEdit>(&card, "txtNome")->setText(QStringLiteral("MARIO"));
    child<QLineEdit>(&card, "txtGG")->setText(QStringLiteral("10"));
    child<QLineEdit>(&card, "txtMM")->setText(month);
    child<QLineEdit>(&card, "txtAAAA")->setText(QStringLiteral("1985"));
    child<QLineEdit>(&card, "txtEmail")->setText(QStringLiteral("mario@ente.it"));
    child<QLineEdit>(&card, "txtTelefono")->setText(QStringLiteral("0115550101"));
    child<QComboBox>(&card, "CmbRuolo")->setCurrentIndex(role);
    auto* save = child<QPushButton>(&card, "cmdSalva");
    save->setFocus();
    QString shown;
    QTimer::singleShot(50, &card, [&shown] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shown = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text();
            box->close();
        }
    });
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(shown, message);
    QVERIFY(card.isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), card.findChild<QWidget*>(field));
}

void TstScreens::printScreens()
{
    Fixture f;
    f.inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    QVERIFY(f.open());
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 10);

    StBozza draft(f.ctx, PrintSession::Choice::Draft);
    QCOMPARE(draft.windowTitle(), QStringLiteral("Stampa Bozza"));
    QCOMPARE(child<QLabel>(&draft, "lblTipoStampa")->text(), QStringLiteral("STAMPA DELLA BOZZA DELLA DOMANDA."));
    auto* interval = child<QLineEdit>(&draft, "txtIntervallo");
    QCOMPARE(interval->text(), QStringLiteral("0"));
    interval->clear();
    // A full stop is typed as a comma; a letter is refused with its message.
    f.prompter.expect(QStringLiteral("Carattere non numerico"), QStringLiteral("Campo Numerico"), Icon::Information);
    QTest::keyClicks(interval, QStringLiteral("3.5a"));
    QCOMPARE(interval->text(), QStringLiteral("3,5"));
    VX_VERIFY_PROMPTS(f.prompter);
    StBozza definitive(f.ctx, PrintSession::Choice::Definitive);
    QCOMPARE(definitive.windowTitle(), QStringLiteral("Stampa Originale, Copia"));

    // Not printed yet: send and save are off, and the exit command says so.
    Trasmis delivery(f.ctx);
    QVERIFY(!child<QPushButton>(&delivery, "cmdSend")->isEnabled());
    QVERIFY(!child<QPushButton>(&delivery, "cmdSalva")->isEnabled());
    QCOMPARE(child<QLabel>(&delivery, "lblEsci")->text(), QStringLiteral("Annulla Invio Proposta"));
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    Trasmis printed(f.ctx);
    QVERIFY(child<QPushButton>(&printed, "cmdSend")->isEnabled());
    QCOMPARE(child<QLabel>(&printed, "lblEsci")->text(), QStringLiteral("Esci"));
}

void TstScreens::listingOnQtsPdfPrinter()
{
    // The printer a computer without printers offers: Qt's PDF output, chosen in the set-up dialog.
    Fixture f;
    f.inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    f.inst.addPerson(10, QStringLiteral("RSSMRA85T10A562S"));
    QVERIFY(f.open());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(f.inst.file(QStringLiteral("elenco.pdf")));
    PainterPrintTarget target(printer);
    const PrintOutcome outcome = printListing(target, f.db, 10, QDate(2026, 3, 5), listing::Ending::PageNumber);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QVERIFY(QFileInfo(f.inst.file(QStringLiteral("elenco.pdf"))).size() > 0);
}

void TstScreens::mainScreen()
{
    Fixture f;
    addDemoOperator(f, false);
    Main screen(f.ctx);
    QVERIFY(screen.load());
    screen.show();
    // Hovering a command: red, bold and underlined by the look options, and its hint; then back.
    f.state.look = {true, true, true};
    QLabel* draft = screen.label(QStringLiteral("lblStBozza"));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(draft, &enter);
    QCOMPARE(draft->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QVERIFY(draft->font().bold() && draft->font().underline());
    QCOMPARE(screen.hint(), msg::app::commandHint(msg::app::Command::StBozza));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(draft, &leave);
    QVERIFY(draft->palette().color(QPalette::WindowText) == QColor(0, 0, 255) && screen.hint().isEmpty());
    // A click on a command's label runs it (the draft print: its checks, then its dialog); the
    // label of "Nominativi e Ruoli" is no command.
    QStringList opened;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, &screen, [&opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened.append(dialog->objectName());
            dialog->reject();
        }
    });
    watcher.start(10);
    f.prompter.expect(msg::app::noVerifier());
    QTest::mouseClick(draft, Qt::LeftButton);
    QTest::mouseClick(screen.label(QStringLiteral("lblRuoli")), Qt::LeftButton);
    QTest::qWait(50);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(opened, QStringList{QStringLiteral("StBozza")});
    // A printed Request turns the update command off at the next activation.
    QVERIFY(screen.button(QStringLiteral("cmdAggInst"))->isEnabled());
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 10);
    screen.activation();
    QVERIFY(!screen.button(QStringLiteral("cmdAggInst"))->isEnabled());
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
    // Prefilled with the operators of the database, key and name.
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("A-12      - CENTRO"));

    // A click copies the entry's key into the fields; Enter in the code field inserts; the group
    // becomes a capital; an entry already there is not added twice.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(group->text(), QStringLiteral("B"));
    QCOMPARE(code->text(), QStringLiteral("7"));
    QTest::keyClick(code, Qt::Key_Return);
    QCOMPARE(list->count(), 2);
    QVERIFY(group->text().isEmpty() && code->text().isEmpty());
    QTest::keyClicks(group, QStringLiteral("c"));
    QTest::keyClicks(code, QStringLiteral("305"));
    QTest::keyClick(code, Qt::Key_Return);
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(2)->text(), QStringLiteral("C-305      - "));

    // Delete removes the selected entry.
    list->setCurrentRow(0);
    child<QPushButton>(&screen, "cmdElimina")->click();
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text().left(3), QStringLiteral("B-7"));

    // Up to 150 entries; the 151st is refused.
    for (int i = 1; screen.list().size() < refdata::OperatorList::kLimit; ++i) {
        group->setText(QStringLiteral("Z"));
        code->setText(QString::number(i));
        screen.insert();
    }
    f.prompter.expect(QStringLiteral("E' stato raggiunto il limite massimo di aziende scaricabili da Internet"),
                      QStringLiteral("Attenzione"), Icon::Information);
    group->setText(QStringLiteral("Y"));
    code->setText(QStringLiteral("1"));
    screen.insert();
    QCOMPARE(list->count(), 150);

    // Emptied, the list cannot be confirmed; the screen stays.
    while (list->count() > 0) {
        list->setCurrentRow(0);
        screen.removeEntry();
    }
    f.prompter.expect(QStringLiteral("E' necessario imputare almeno un Operatore."),
                      QStringLiteral("Aggiornamento Base Dati"), Icon::Critical);
    screen.confirm();
    QCOMPARE(screen.result(), 0);

    // Cancel sets the update's course to "annulla".
    f.state.updateResult = AppState::kUpdateGoOn;
    child<QPushButton>(&screen, "cmdAnnulla")->click();
    QCOMPARE(f.state.updateResult, AppState::kUpdateCancelled);
    VX_VERIFY_PROMPTS(f.prompter);
}

namespace {
// The database-update command's two questions, the first `answered` of them answered to go on.
void expectUpdateQuestions(vx::test::ScriptedPrompter& prompter, int answered)
{
    prompter.expect(QStringLiteral("Attivazione collegamento con Internet.\r\nProcedere solo dopo aver aperto la "
                                   "connessione \r\ncon il vostro Provider"),
                    QStringLiteral("Trasmissione dati"), Icon::Information, Buttons::OkCancel,
                    answered > 0 ? Answer::Ok : Answer::Cancel);
    if (answered > 0)
        prompter.expect(QStringLiteral("ATTENZIONE: prima di procedere assicurarsi che nessuna installazione CLIENT "
                                       "sia connessa alla base dati.\r\n\r\nContinuare ?"),
                        QStringLiteral("Aggiornamento Base Dati"), Icon::Question, Buttons::YesNo,
                        answered > 1 ? Answer::Yes : Answer::No);
}
} // namespace

void TstScreens::databaseUpdateQuestions_data()
{
    QTest::addColumn<int>("answered"); // how many questions are answered yes
    QTest::newRow("no internet") << 0;
    QTest::newRow("clients may be connected") << 1;
    QTest::newRow("list cancelled") << 2;
}

void TstScreens::databaseUpdateQuestions()
{
    QFETCH(int, answered);
    Fixture f;
    addDemoOperator(f, false);
    f.state.databasePath = f.inst.databasePath(); // the installation's, as start-up reads it
    Main screen(f.ctx);
    QVERIFY(screen.load());
    expectUpdateQuestions(f.prompter, answered);
    QString caption;
    QString waitText;
    QTimer::singleShot(0, &screen, [&] {
        auto* list = qobject_cast<frmOperatori*>(QApplication::activeModalWidget());
        if (!list)
            return;
        caption = child<QLabel>(list, "lblDidascalia")->text();
        waitText = screen.label(QStringLiteral("panel_Attesa"))->text();
        list->reject();
    });
    screen.databaseUpdate();
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(caption, answered > 1 ? frmOperatori::kCaption : QString());
    QCOMPARE(waitText, answered > 1 ? QStringLiteral("Aggiornamento base dati in corso.\r\nAttendere...") : QString());
    QVERIFY(f.db.isOpen());
    QCOMPARE(f.state.selected.number, 10);
    if (answered > 1)
        QCOMPARE(f.state.updateResult, AppState::kUpdateCancelled);
    QVERIFY(screen.label(QStringLiteral("panel_Attesa"))->isHidden());
}

void TstScreens::databaseUpdateWhileAnotherHoldsTheDatabase()
{
    Fixture f;
    addDemoOperator(f, false);
    f.state.databasePath = f.inst.databasePath(); // the installation's, as start-up reads it
    f.state.installationType = QStringLiteral("Multiutenza");
    Main screen(f.ctx);
    QVERIFY(screen.load());
    Database other; // another workstation
    QVERIFY(other.open(QString(), f.inst.databasePath(), Database::Mode::Multiutenza));
    expectUpdateQuestions(f.prompter, 2);
    bool listOpened = false;
    QTimer::singleShot(0, &screen, [&] {
        if (auto* list = qobject_cast<frmOperatori*>(QApplication::activeModalWidget())) {
            listOpened = true;
            list->reject();
        }
    });
    screen.databaseUpdate();
    // The exclusive opening is refused with the engine's error; nothing else happens, and the
    // connection is back as the installation opens it.
    const QString told = f.prompter.problems();
    QVERIFY2(told.contains(QStringLiteral("Errore imprevisto")) && told.contains(QStringLiteral("Errore ")),
             qPrintable(told));
    QVERIFY(!listOpened);
    QVERIFY(f.db.isOpen());
    QCOMPARE(f.state.selected.number, 10);
}

QTEST_MAIN(TstScreens)
#include "tst_screens.moc"
