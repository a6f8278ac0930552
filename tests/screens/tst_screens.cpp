// The screens of start-up and configuration, opened offscreen with their controls wired.

#include "RequestsFixture.h"
#include "Support.h"
#include "TestContext.h"
#include "Version.h"

#include "app/Messages.h"
#include "app/screens/InstallationSetupScreen.h"
#include "app/screens/MainFrame.h"
#include "app/screens/MainScreen.h"
#include "app/screens/OptionsScreen.h"
#include "app/screens/ProgressWindow.h"
#include "app/screens/ServerClientChoiceScreen.h"
#include "app/screens/SplashScreen.h"
#include "assist/screens/AssistanceEmailScreen.h"
#include "assist/screens/ControllaEmail.h"
#include "backup/screens/BackupScreen.h"
#include "core/Messages.h"
#include "core/Modules.h"
#include "net/Exchange.h"
#include "net/Messages.h"
#include "print/Messages.h"
#include "print/PainterPrintTarget.h"
#include "print/RequestPrint.h"
#include "print/screens/DeliveryScreen.h"
#include "print/screens/PrintScreen.h"
#include "print/screens/RequestFrame.h"
#include "print/screens/SendConfirmationScreen.h"
#include "refdata/Messages.h"
#include "refdata/screens/OperatorListScreen.h"
#include "requests/Messages.h"
#include "requests/SelectedRequest.h"
#include "requests/screens/AlternativeIdentityScreen.h"
#include "requests/screens/RequestNumberWindow.h"
#include "requests/screens/RequestSelectionScreen.h"
#include "roles/Messages.h"
#include "roles/RoleCodes.h"
#include "roles/screens/PersonCardScreen.h"
#include "roles/screens/RolesListScreen.h"
#include "ui/Caption.h"
#include "ui/Fonts.h"
#include "ui/KeyFilters.h"
#include "ui/Messages.h"
#include "ui/ProgramStyle.h"
#include "ui/QtPrompter.h"
#include "ui/ScreenFit.h"
#include "ui/WindowKeys.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProgressBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

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
    void windowsKeptOnScreen();
    void everyControlNamed_data();
    void everyControlNamed();
    void keyboardThroughEveryWindow_data();
    void smallScreen_data();
    void smallScreen();
    void keyboardThroughEveryWindow();
    void italianWhateverTheSystem();
    void serverClientChoice();
    void installationScreen();
    void optionsScreen();
    void frameWindow();
    void frameLeavesOncePainted();
    void groupBoxFrame();
    void captionSizes_data();
    void captionSizes();
    void requestSelectionScreen();
    void alternativeIdentityScreen();
    void keyboardRules();
    void personCard();
    void rolesListOnAPrintedRequest();
    void rolesListReadable();
    void rolesListOpensTheHighlightedRow();
    void cardFocusAfterAFailedCheck();
    void mainScreen();
    void listingPrinterModule();
    void passwordQuestion();
    void printScreens();
    void operatorListScreen();
    void databaseUpdateQuestions();
    void listingOnQtsPdfPrinter();
    void screenFontLeavesPrinting(); // last: it sets the screens' font for the whole process
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
    ServerClientChoiceScreen screen(f.ctx, ini);
    screen.show();
    f.prompter.expect(msg::app::notice(msg::app::Notice::ChooseVersion));
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
    IniFile ini = f.inst.ini();
    {
        // The database the installation has beside the program is proposed.
        Settings::writeTypeAndDatabase(ini, QString(), QString());
        f.prompter.expect(msg::core::helpFileNotConfigured());
        InstallationSetupScreen proposing(f.ctx, ini);
        QCOMPARE(child<QLineEdit>(&proposing, "txtDatabase")->toolTip(), QDir::cleanPath(f.inst.databasePath()));
    }
    f.prompter.expect(msg::core::helpFileNotConfigured()).expect(msg::core::helpFileMissing());
    f.prompter.expect(msg::app::notice(msg::app::Notice::NoDatabaseChosen));
    const QString kept = f.inst.file(QStringLiteral("VELTRANORPX.db.tenuto"));
    QVERIFY(QFile::rename(f.inst.databasePath(), kept));
    InstallationSetupScreen screen(f.ctx, ini);
    screen.show();
    QVERIFY(child<QLineEdit>(&screen, "txtDatabase")->text().isEmpty());
    child<QPushButton>(&screen, "cmdHelp")->click();
    child<QPushButton>(&screen, "Cmd_Ok")->click();
    QVERIFY(QFile::rename(kept, f.inst.databasePath()));
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
    f.prompter.expect(msg::app::notice(msg::app::Notice::AbortInstallation), Answer::No)
        .expect(msg::app::notice(msg::app::Notice::AbortInstallation), Answer::Yes);
    InstallationSetupScreen again(f.ctx, ini);
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
    OptionsScreen screen(f.ctx);
    ScreenFit fit; // as the program has it
    screen.installEventFilter(&fit);
    screen.show();
    // On a screen with room for them, the settings show whole, without scrolling.
    auto* settings = screen.findChild<QScrollArea*>();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QCOMPARE(settings->horizontalScrollBar()->maximum() + settings->verticalScrollBar()->maximum(), 0);
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
    OptionsScreen again(f.ctx);
    again.show();
    QTest::keyClicks(child<QLineEdit>(&again, "txtDatabase"), QStringLiteral("x"));
    QVERIFY(again.installationChanged());
    f.prompter.expect(msg::app::notice(msg::app::Notice::SaveChanges), Answer::No);
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
    auto frame = std::make_unique<MainFrame>(f.ctx);
    frame->show();
    QVERIFY(frame->loadMainScreen());
    frame->close();
    QVERIFY(!f.db.isOpen() && QFile::exists(f.inst.file(QStringLiteral("backup.001"))));
}

// Asked to leave once ready (as the start-up benchmark asks), the frame leaves once its main screen
// is painted, in the same orderly way.
void TstScreens::frameLeavesOncePainted()
{
    Fixture f;
    QVERIFY(f.open(Database::Mode::StandAlone));
    MainFrame frame(f.ctx);
    // Never beyond the screen it opens on (this one is smaller than the usual 1024x720).
    const QRect free = frame.screen()->availableGeometry();
    QVERIFY(free.width() < 1024 || free.height() < 720);
    QVERIFY2(free.contains(frame.geometry()),
             qPrintable(QStringLiteral("%1x%2").arg(frame.width()).arg(frame.height())));
    frame.setExitWhenReady(true);
    frame.show();
    frame.startFirstActivation();
    QTRY_VERIFY_WITH_TIMEOUT(frame.endedInOrder(), 10000);
    QVERIFY(frame.mainScreen() && frame.centralWidget()->isAncestorOf(frame.mainScreen()));
    QVERIFY(!f.db.isOpen() && QFile::exists(f.inst.file(QStringLiteral("backup.001"))));
}

// The program's style draws the group box's frame itself; it looks as the platform style's does.
void TstScreens::groupBoxFrame()
{
    std::unique_ptr<QStyle> program(programStyle());
    auto* proxy = qobject_cast<QProxyStyle*>(program.get());
    QVERIFY(proxy && proxy->baseStyle());
    std::unique_ptr<QStyle> platform(QStyleFactory::create(proxy->baseStyle()->name()));
    QVERIFY(platform);
    const auto render = [](QStyle* style, const QString& title) {
        QWidget window;
        auto* box = new QGroupBox(title, &window);
        box->setStyle(style);
        new QHBoxLayout(box);
        box->layout()->addWidget(new QLabel(QStringLiteral("Operatore:"), box));
        (new QVBoxLayout(&window))->addWidget(box);
        window.resize(320, 100);
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    for (const QString& title : {QStringLiteral("Richiesta selezionata"), QString()}) {
        const QImage drawn = render(program.get(), title);
        const QImage read = render(platform.get(), title);
        QCOMPARE(drawn.size(), read.size());
        int worst = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                const QRgb a = drawn.pixel(x, y);
                const QRgb b = read.pixel(x, y);
                worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                  std::abs(qBlue(a) - qBlue(b))});
            }
        }
        QVERIFY2(worst <= 3, qPrintable(QStringLiteral("%1: a pixel differs by %2").arg(title).arg(worst)));
    }
}

// A caption takes the size a QLabel of the same text, font, alignment and margins takes, and
// follows its text and font as they change.
void TstScreens::captionSizes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("font"); // 0 the default, 1 bold, 2 a title, 3 underlined
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QMargins>("margins");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<bool>("wrap");
    const int left = int(Qt::AlignLeft | Qt::AlignVCenter);
    QTest::newRow("caption") << QStringLiteral("Stampa Bozza") << 0 << left << QMargins() << QSize() << false;
    QTest::newRow("accents, bold") << QStringLiteral("Responsabilità dell'operatore") << 1 << left << QMargins()
                                   << QSize() << false;
    QTest::newRow("title, centred") << QStringLiteral("Richiesta di PROFILAZIONE") << 2 << int(Qt::AlignCenter)
                                    << QMargins() << QSize() << false;
    QTest::newRow("underlined, right") << QStringLiteral("Fondo Sociale Europeo") << 3 << int(Qt::AlignRight)
                                       << QMargins(3, 1, 2, 4) << QSize() << false;
    QTest::newRow("empty") << QString() << 1 << left << QMargins() << QSize() << false;
    QTest::newRow("two lines") << QStringLiteral("Dom.\n1000101") << 0 << left << QMargins() << QSize() << false;
    QTest::newRow("minimum size") << QStringLiteral("A") << 0 << left << QMargins() << QSize(40, 30) << false;
    QTest::newRow("rich text") << QStringLiteral("<b>Esci</b> dal programma") << 0 << left << QMargins() << QSize()
                               << false;
    QTest::newRow("word wrap") << QStringLiteral("Tutti i dati inseriti sono autocertificati") << 0 << left
                               << QMargins() << QSize() << true;
}

void TstScreens::captionSizes()
{
    QFETCH(QString, text);
    QFETCH(int, font);
    QFETCH(int, alignment);
    QFETCH(QMargins, margins);
    QFETCH(QSize, minimum);
    QFETCH(bool, wrap);
    QWidget window;
    QLabel label(&window);
    Caption caption(QString(), &window);
    for (QLabel* l : {&label, static_cast<QLabel*>(&caption)}) {
        QFont f = l->font();
        f.setBold(font == 1 || font == 2);
        f.setUnderline(font == 3);
        if (font == 2)
            f.setPointSize(f.pointSize() + 8);
        l->setFont(f);
        l->setAlignment(Qt::Alignment(alignment));
        l->setContentsMargins(margins);
        if (minimum.isValid())
            l->setMinimumSize(minimum);
        l->setWordWrap(wrap);
        l->setText(text);
    }
    QCOMPARE(caption.sizeHint(), label.sizeHint());
    QCOMPARE(caption.minimumSizeHint(), label.minimumSizeHint());
    for (QLabel* l : {&label, static_cast<QLabel*>(&caption)}) {
        l->setText(text + QStringLiteral(" e altro"));
        QFont f = l->font();
        f.setBold(!f.bold());
        l->setFont(f);
    }
    QCOMPARE(caption.sizeHint(), label.sizeHint());
    QCOMPARE(caption.minimumSizeHint(), label.minimumSizeHint());
}

void TstScreens::requestSelectionScreen()
{
    Fixture f({.numDoma = QStringLiteral("11")});
    f.inst.addOperatorWithRequest(10);
    f.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("ISTITUTO"));
    f.inst.addRequest(11, QStringLiteral("B"), 7, QStringLiteral("001"), 1, true);
    QVERIFY(f.open(Database::Mode::StandAlone));
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 11);
    RequestSelectionScreen screen(f.ctx);
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
    AlternativeIdentityScreen screen(f.ctx, page);
    QCOMPARE(f.desktop.opened, QList<QUrl>{page});
    child<QPlainTextEdit>(&screen, "TxtRisposta")->setPlainText(QStringLiteral("Risposta: OK;123;4;A12"));
    child<QPushButton>(&screen, "imgConferma")->click();
    QCOMPARE(screen.answer(), QStringLiteral("Risposta: OK;123;4;A12"));
    // Where no program can open the page, the user is told, and its address stays on the screen.
    vx::test::RefusingDesktop refusing;
    Context ctx{f.state, f.db, f.prompter, f.control, refusing, f.clock};
    f.prompter.expect(msg::core::cannotOpen(page)).expect(msg::core::cannotOpen(page));
    AlternativeIdentityScreen alone(ctx, page);
    child<QPushButton>(&alone, "cmdApri")->click();
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(child<QLineEdit>(&alone, "txtIndirizzo")->text(), page.toString());
}

// Capitals and no "#" in a text field, digits only in a number field; Ctrl+V passes the filters,
// and a pasted "#" becomes "SHARP".
void TstScreens::windowsKeptOnScreen()
{
    // Larger than the screen (a desktop at scale 2), or placed off it: fitted into its free area, a
    // dialog over the middle of its window.
    ScreenFit fit;
    qApp->installEventFilter(&fit);
    QWidget main;
    main.setGeometry(50, 50, 400, 300);
    main.show();
    const QRect free = main.screen()->availableGeometry();
    QDialog big(&main);
    big.resize(free.width() * 2, free.height() * 2);
    big.show();
    QVERIFY(free.contains(big.geometry()));
    QDialog small(&main);
    small.resize(200, 100);
    small.show();
    QCOMPARE(small.geometry().center(), main.geometry().center());
    QWidget away;
    away.setGeometry(free.right() + 500, free.bottom() + 500, 300, 200);
    away.show();
    QVERIFY(free.contains(away.geometry()));
    qApp->removeEventFilter(&fit);
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
    f.prompter.expect(msg::ui::notice(msg::ui::Notice::SharpRefused))
        .expect(msg::ui::notice(msg::ui::Notice::NotADigit));
    QTest::keyClicks(upper, QStringLiteral("ro#ssi"));
    QTest::keyClicks(digits, QStringLiteral("01a1"));
    QTest::keyClick(digits, Qt::Key_Backspace);
    VX_VERIFY_PROMPTS(f.prompter);
    QGuiApplication::clipboard()->setText(QStringLiteral("A#B"));
    QTest::keyClick(upper, Qt::Key_V, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QStringLiteral("55"));
    QTest::keyClick(digits, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(upper->text() + digits->text(), QStringLiteral("ROSSIASHARPB0155"));

    // A date typed as it is written: each separator moves on to the next part, nothing refused.
    QDialog dialog;
    auto* day = new QLineEdit(&dialog);
    auto* month = new QLineEdit(&dialog);
    auto* year = new QLineEdit(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    installDatePart(day, f.prompter, month);
    installDatePart(month, f.prompter, year);
    installInteger(year, f.prompter);
    auto* layout = new QHBoxLayout(&dialog);
    for (QWidget* w : std::initializer_list<QWidget*>{day, month, year, ok})
        layout->addWidget(w);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    day->setFocus();
    for (QChar c : QStringLiteral("5/03-1985"))
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(QStringList({day->text(), month->text(), year->text()}), QStringList({"5", "03", "1985"}));
    // Enter in a digits-only field reaches the default button.
    QTest::keyClick(year, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
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

// The controls a user reaches that a screen reader would call only "button" or "text".
QStringList namelessControls(QWidget* window)
{
    QStringList nameless;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                             qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w);
        // Parts of other controls (a combo box's list, a table's header) are named by their owner.
        if (!control || !w->isVisibleTo(window) || w->focusPolicy() == Qt::NoFocus ||
            qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget()))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            nameless.append(w->objectName() + QLatin1Char('/') + QLatin1String(w->metaObject()->className()));
    }
    return nameless;
}

void TstScreens::everyControlNamed_data()
{
    QTest::addColumn<QString>("screen");
    for (const char* screen : {"FrmPartner", "frmOpzioni", "Seldoma", "Trasmis", "StBozza", "frmBackup",
                               "frmElencoSoggetti", "Invia", "Frm_Impostazioni", "frmOperatori"})
        QTest::newRow(screen) << QString::fromLatin1(screen);
}

std::unique_ptr<QWidget> openScreen(const QString& screen, Fixture& f, IniFile& ini, Exchange& exchange)
{
    std::unique_ptr<QWidget> window;
    RoleKey key;
    if (screen == QLatin1String("FrmPartner"))
        window = std::make_unique<PersonCardScreen>(f.ctx, key);
    else if (screen == QLatin1String("frmOpzioni"))
        window = std::make_unique<OptionsScreen>(f.ctx);
    else if (screen == QLatin1String("Seldoma"))
        window = std::make_unique<RequestSelectionScreen>(f.ctx);
    else if (screen == QLatin1String("Trasmis"))
        window = std::make_unique<DeliveryScreen>(f.ctx);
    else if (screen == QLatin1String("StBozza"))
        window = std::make_unique<PrintScreen>(f.ctx, PrintSession::Choice::Draft);
    else if (screen == QLatin1String("frmElencoSoggetti"))
        window = std::make_unique<RolesListScreen>(f.ctx);
    else if (screen == QLatin1String("Invia"))
        window = std::make_unique<SendConfirmationScreen>(f.ctx);
    else if (screen == QLatin1String("Frm_Impostazioni"))
        window = std::make_unique<InstallationSetupScreen>(f.ctx, ini);
    else if (screen == QLatin1String("frmOperatori"))
        window = std::make_unique<OperatorListScreen>(f.ctx, exchange);
    else if (screen == QLatin1String("frmServerClient"))
        window = std::make_unique<ServerClientChoiceScreen>(f.ctx, ini);
    else if (screen == QLatin1String("frmMailAggInst"))
        window = std::make_unique<AssistanceEmailScreen>(f.ctx);
    else if (screen == QLatin1String("frmMailAggNembo2"))
        window = std::make_unique<AlternativeIdentityScreen>(f.ctx, QUrl(QStringLiteral("https://127.0.0.1/accesso")));
    else if (screen == QLatin1String("Avvio")) {
        auto progress = std::make_unique<ProgressWindow>();
        progress->showStep(msg::refdata::text(msg::refdata::Text::ProgressHeading),
                           msg::refdata::text(msg::refdata::Text::ProgressWait));
        progress->showProgress(QStringLiteral("compo.tx1"), QStringLiteral("CorsiCompo"), 4000, 4000, 12000);
        window = std::move(progress);
    } else if (screen == QLatin1String("MDI_Main"))
        window = std::make_unique<MainFrame>(f.ctx);
    else
        window = std::make_unique<BackupScreen>(f.ctx);
    window->show();
    return window;
}

// A screen of the demo operator's Request, opened as the program opens it.
struct OpenedScreen {
    Fixture f;
    IniFile ini = f.inst.ini();
    Exchange exchange{ExchangeSettings{}};
    std::unique_ptr<QWidget> window;

    explicit OpenedScreen(const QString& screen)
    {
        addDemoOperator(f, false);
        window = openScreen(screen, f, ini, exchange);
    }
    // Shown, and the frame's main screen loaded.
    bool shown()
    {
        if (!QTest::qWaitForWindowExposed(window.get()))
            return false;
        auto* frame = qobject_cast<MainFrame*>(window.get());
        return !frame || frame->loadMainScreen();
    }
};

void TstScreens::everyControlNamed()
{
    QFETCH(QString, screen);
    OpenedScreen opened(screen);
    QVERIFY(opened.shown());
    const QStringList nameless = namelessControls(opened.window.get());
    QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(QLatin1String(", "))));
}

// The controls of `window` that Tab stops at, in the order it stops at them.
QList<QWidget*> tabStops(QWidget* window)
{
    QList<QWidget*> stops;
    QWidget* w = window;
    do {
        w = w->nextInFocusChain();
        if (w->window() == window && w->isVisibleTo(window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            !w->focusProxy())
            stops.append(w);
    } while (w != window);
    return stops;
}

// The group a control shows in: its nearest group box, scrolling area or page, else its window.
QWidget* groupOf(QWidget* w)
{
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<QGroupBox*>(p) || qobject_cast<QScrollArea*>(p) || qobject_cast<QTabWidget*>(p) ||
            p->isWindow())
            return p;
    }
    return w->window();
}

void TstScreens::keyboardThroughEveryWindow_data()
{
    QTest::addColumn<QString>("screen");
    for (const char* screen :
         {"FrmPartner", "frmOpzioni", "Seldoma", "Trasmis", "StBozza", "frmBackup", "frmElencoSoggetti", "Invia",
          "Frm_Impostazioni", "frmOperatori", "frmServerClient", "frmMailAggInst", "frmMailAggNembo2", "MDI_Main"})
        QTest::newRow(screen) << QString::fromLatin1(screen);
}

// Every command, tab and labelled field shown in `window` has a letter, and no two share one;
// Tab goes top to bottom and left to right, a group whole before the next.
void keyboardWorks(QWidget* window)
{
    const auto at = [&](QWidget* w) { return QRect(w->mapTo(window, QPoint(0, 0)), w->size()); };
    const auto named = [](QWidget* w) {
        return w->objectName() + QLatin1Char('/') + QLatin1String(w->metaObject()->className());
    };

    struct Text {
        QString text, who;
        bool choice;
    };
    QList<Text> texts;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window) || w->window() != window)
            continue;
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && !qobject_cast<QTabBar*>(w->parentWidget()))
            texts.append({b->text(), named(w), b->isCheckable()});
        if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
            texts.append({l->text(), named(w), false});
        if (auto* tabs = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                texts.append({tabs->tabText(i), named(w), false});
    }
    const auto letterOf = [](const QString& text) {
        const QString plain = QString(text).remove(QLatin1String("&&"));
        const qsizetype amp = plain.indexOf(QLatin1Char('&'));
        return amp >= 0 && amp + 1 < plain.size() ? plain.at(amp + 1).toLower() : QChar();
    };
    QMap<QChar, QString> letters;
    for (const Text& t : texts) {
        if (const QChar letter = letterOf(t.text); !letter.isNull()) {
            QVERIFY2(!letters.contains(letter), qPrintable(letters.value(letter) + QLatin1String(" and ") + t.who));
            letters.insert(letter, t.who);
        }
    }
    // Unmarked: "..." (no letter to mark; its accessible name names it), and a choice whose every
    // letter another text has.
    QStringList unmarked;
    for (const Text& t : texts) {
        const auto typed = [](QChar c) { return c.isLetterOrNumber() && c.toLatin1() != 0; };
        if (!letterOf(t.text).isNull() || std::none_of(t.text.begin(), t.text.end(), typed))
            continue;
        if (t.choice && std::all_of(t.text.begin(), t.text.end(),
                                    [&](QChar c) { return !typed(c) || letters.contains(c.toLower()); }))
            continue;
        unmarked.append(t.who + QLatin1Char(' ') + t.text);
    }
    // A form's caption leads to its field (the date's, to its day).
    for (QFormLayout* form : window->findChildren<QFormLayout*>())
        for (int row = 0; row < form->rowCount(); ++row)
            if (auto* item = form->itemAt(row, QFormLayout::LabelRole); item && qobject_cast<QLabel*>(item->widget()))
                unmarked.append(static_cast<QLabel*>(item->widget())->buddy()
                                    ? QString()
                                    : item->widget()->objectName() + QLatin1String(" without its field"));
    // So does a caption ending in ":" that stands right before a field.
    const QList<QWidget*> shown = WindowKeys::shownOrder(window);
    for (qsizetype i = 0; i + 1 < shown.size(); ++i) {
        auto* caption = qobject_cast<QLabel*>(shown[i]);
        QWidget* next = shown[i + 1];
        const bool field = qobject_cast<QLineEdit*>(next) || qobject_cast<QComboBox*>(next);
        if (caption && field && caption->text().trimmed().endsWith(QLatin1Char(':')) && !caption->buddy())
            unmarked.append(caption->text() + QLatin1String(" without its field"));
    }
    unmarked.removeAll(QString());
    QVERIFY2(unmarked.isEmpty(), qPrintable(unmarked.join(QLatin1String(", "))));

    const QList<QWidget*> stops = tabStops(window);
    QVERIFY(!stops.isEmpty());
    QSet<QWidget*> leftGroups;
    for (qsizetype i = 1; i < stops.size(); ++i) {
        QWidget* a = stops[i - 1];
        QWidget* b = stops[i];
        const QString step = named(a) + QLatin1String(" -> ") + named(b);
        if (groupOf(a) != groupOf(b)) {
            leftGroups.insert(groupOf(a));
            QVERIFY2(!leftGroups.contains(groupOf(b)) || groupOf(a)->isAncestorOf(groupOf(b)) ||
                         groupOf(b)->isAncestorOf(groupOf(a)),
                     qPrintable(QLatin1String("back into a group: ") + step));
            continue;
        }
        const QRect ra = at(a), rb = at(b);
        const bool sameRow = rb.center().y() >= ra.top() && rb.center().y() <= ra.bottom();
        const bool below = rb.top() > ra.center().y();
        QVERIFY2(below || (sameRow && rb.left() > ra.left()), qPrintable(step));
    }
}

void TstScreens::smallScreen_data()
{
    keyboardThroughEveryWindow_data();
    QTest::newRow("Avvio") << QStringLiteral("Avvio"); // the update's progress
}

// What a 1280x800 screen at scale 2 leaves free: every window fits whole, nothing of it cut.
void TstScreens::smallScreen()
{
    QFETCH(QString, screen);
    OpenedScreen opened(screen);
    QVERIFY(opened.shown());
    QWidget* window = opened.window.get();
    const QRect free(0, 0, 640, 400);
    ScreenFit::fit(window, free);
    QVERIFY2(free.contains(window->geometry()),
             qPrintable(QStringLiteral("%1x%2").arg(window->width()).arg(window->height())));
    const QSize least = window->minimumSizeHint();
    QVERIFY2(least.width() <= window->width() && least.height() <= window->height(),
             qPrintable(QStringLiteral("needs %1x%2").arg(least.width()).arg(least.height())));
}

void TstScreens::keyboardThroughEveryWindow()
{
    QFETCH(QString, screen);
    WindowKeys keys; // as the program has it
    qApp->installEventFilter(&keys);
    const auto removed = qScopeGuard([&keys] { qApp->removeEventFilter(&keys); });
    OpenedScreen opened(screen);
    QVERIFY(opened.shown());
    QWidget* window = opened.window.get();
    // A window whose controls were shown or hidden is arranged again, once its posted work is done
    // (the frame shows its main screen's area in a posted call, itself followed by an arrangement).
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
    keyboardWorks(window);
    if (QTest::currentTestFailed())
        return;
    // The server's fields, shown in place of the file's, have letters of their own too.
    if (auto* server = window->findChild<QRadioButton*>(QStringLiteral("optServer"))) {
        server->click();
        QTest::qWait(0);
        keyboardWorks(window);
    }
}

void TstScreens::personCard()
{
    Fixture f;
    addDemoOperator(f, false);
    RoleKey key;
    PersonCardScreen card(f.ctx, key);
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

    // The list opens over the main window, centred on it where the screen allows and inside the
    // screen, and shows the row.
    QWidget main;
    main.setGeometry(100, 50, 600, 400);
    RolesListScreen list(f.ctx, &main);
    const QRect free = main.screen()->availableGeometry();
    QVERIFY(free.contains(list.geometry()));
    QVERIFY(list.width() > main.width());
    QVERIFY(qAbs(list.geometry().center().y() - main.geometry().center().y()) <= 2);
    QCOMPARE(list.model()->rowCount(), 1);
    QVERIFY(!child<QPushButton>(&list, "CmdImportaTutto")->isVisibleTo(&list));
}

void TstScreens::rolesListOnAPrintedRequest()
{
    Fixture f;
    addDemoOperator(f, true);
    RolesListScreen list(f.ctx);
    QVERIFY(!child<QPushButton>(&list, "CmdInsPartner")->isEnabled());
    QVERIFY(!child<QPushButton>(&list, "CmdCancPartner")->isEnabled());
    QVERIFY(child<QPushButton>(&list, "CmdModPartner")->isEnabled());
    RoleKey key;
    f.prompter.expect(msg::roles::cardReadOnly());
    PersonCardScreen card(f.ctx, key);
    card.show();
    QVERIFY(!child<QPushButton>(&card, "cmdSalva")->isEnabled());
    auto* cognome = child<QLineEdit>(&card, "txtCognome");
    QVERIFY(cognome->isReadOnly());
    // Seen to be read only: the fields in the window's colour, and the reason over them.
    QCOMPARE(cognome->palette().color(QPalette::Base), card.palette().color(QPalette::Window));
    auto* note = child<QLabel>(&card, "lblSolaLettura");
    QVERIFY(note->isVisible() && note->text() == msg::roles::cardReadOnly().text);
    QTest::keyClick(&card, Qt::Key_Escape);
    QVERIFY(!card.isVisible());
    VX_VERIFY_PROMPTS(f.prompter);
}

// The list as an office reads it: headings in words, the date as one, site and role by name;
// sorted by a heading, searched by name or codice fiscale, the persons counted; every column but
// the e-mail and the site whole at 1280x800; Delete deletes the highlighted row after its question.
void TstScreens::rolesListReadable()
{
    Fixture f;
    addDemoOperator(f, false);
    RolePerson rossi = vx::test::rossi(10);
    rossi.sede = 2;
    rossi.ruolo = 3;
    RolePerson bianchi = rossi;
    bianchi.codFiscale = QStringLiteral("BNCLRA78D43L219O");
    bianchi.cognome = QStringLiteral("BIANCHI");
    bianchi.nome = QStringLiteral("LAURA");
    bianchi.gg = QStringLiteral("03"), bianchi.mm = QStringLiteral("04"), bianchi.aaaa = QStringLiteral("1978");
    bianchi.sede = 0;
    bianchi.ruolo = 1;
    f.inst.addRole(rossi);
    f.inst.addRole(bianchi);
    RolesListScreen list(f.ctx);
    list.resize(1280, 800);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QAbstractItemModel* shown = list.grid()->model();
    for (int c = 0; c < shown->columnCount(); ++c)
        QCOMPARE(shown->headerData(c, Qt::Horizontal).toString(), msg::roles::listHeading(c));
    const auto cell = [shown](int row, int column) { return shown->index(row, column).data().toString(); };
    const auto rowOf = [&](const QString& cf) {
        for (int r = 0; r < shown->rowCount(); ++r)
            if (cell(r, RolesShown::CodFiscale) == cf)
                return r;
        return -1;
    };
    const int shownRossi = rowOf(QStringLiteral("RSSMRA85T10A562S"));
    QVERIFY(shownRossi >= 0);
    QCOMPARE(cell(shownRossi, RolesShown::Sede), QStringLiteral("2 - SEDE OPERATIVA"));
    QCOMPARE(cell(shownRossi, RolesShown::Ruolo), roles::text(3));
    QVERIFY(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4}$"))
                .match(cell(shownRossi, RolesShown::Nascita))
                .hasMatch());
    QCOMPARE(child<QLabel>(&list, "lblConteggio")->text(), msg::roles::listCount(2, 2));

    // Every column shows its whole text but the e-mail and the site, which give way to the others
    // (the site's number stays in sight) and are whole in their tooltips.
    QHeaderView* header = list.grid()->horizontalHeader();
    for (int c = 0; c < shown->columnCount(); ++c) {
        QCOMPARE(shown->index(shownRossi, c).data(Qt::ToolTipRole).toString(), cell(shownRossi, c));
        if (c == RolesShown::Email || c == RolesShown::Sede)
            continue;
        const int needed = list.grid()->fontMetrics().horizontalAdvance(cell(shownRossi, c));
        QVERIFY2(header->sectionSize(c) > needed, qPrintable(msg::roles::listHeading(c)));
        QVERIFY2(header->sectionViewportPosition(c) + header->sectionSize(c) <= list.grid()->viewport()->width(),
                 qPrintable(msg::roles::listHeading(c)));
    }

    // Sorted by the birth date, oldest first, at a click on its heading.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(RolesShown::Nascita) + 5, header->height() / 2));
    QCOMPARE(cell(0, RolesShown::CodFiscale), QStringLiteral("BNCLRA78D43L219O"));

    // A search keeps the rows whose name holds it, and the count says so.
    QTest::keyClicks(list.search(), QStringLiteral("rss"));
    QCOMPARE(shown->rowCount(), 1);
    QCOMPARE(child<QLabel>(&list, "lblConteggio")->text(), msg::roles::listCount(1, 2));
    list.search()->clear();

    // Delete on the grid: the question, then the row is gone.
    list.grid()->setFocus();
    list.grid()->selectRow(rowOf(QStringLiteral("RSSMRA85T10A562S")));
    const RolePerson doomed =
        list.model()->rows().at(list.model()->rows().first().codFiscale == QLatin1String("RSSMRA85T10A562S") ? 0 : 1);
    f.prompter.expect(msg::roles::confirmDelete(doomed.cognome, doomed.nome, doomed.codFiscale), Answer::Yes);
    QTest::keyClick(list.grid(), Qt::Key_Delete);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(list.model()->rowCount(), 1);
    QCOMPARE(list.model()->rows().first().codFiscale, QStringLiteral("BNCLRA78D43L219O"));
}

// Enter and a double click on the grid modify the highlighted row; a row that another workstation
// deleted meanwhile opens no card.
void TstScreens::rolesListOpensTheHighlightedRow()
{
    Fixture f;
    addDemoOperator(f, false);
    f.inst.addPerson(10, QStringLiteral("RSSMRA85T10A562S"), 3, 2);
    RolesListScreen list(f.ctx);
    list.show();
    QApplication::setActiveWindow(&list);
    QVERIFY(QTest::qWaitForWindowActive(&list));
    QTableView* grid = list.grid();
    grid->setFocus();
    int opened = 0;
    auto closeTheCard = [&opened, &list] {
        QTimer::singleShot(0, &list, [&opened] {
            if (auto* card = qobject_cast<PersonCardScreen*>(QApplication::activeModalWidget())) {
                opened += card->values().codFiscale == QLatin1String("RSSMRA85T10A562S");
                card->done(QDialog::Rejected);
            }
        });
    };
    closeTheCard();
    QTest::keyClick(grid, Qt::Key_Return);
    closeTheCard();
    const QPoint onTheRow = grid->visualRect(grid->model()->index(0, 2)).center();
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
    PersonCardScreen card(ctx, key);
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

// The certificate's password is asked in a window whose title shows whole; the password typed
// is given back, a cancel gives nothing.
void TstScreens::passwordQuestion()
{
    QtPrompter prompter;
    for (const bool typed : {true, false}) {
        int room = 0;
        QTimer::singleShot(50, [&room, typed] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            room = dialog->width() - dialog->fontMetrics().horizontalAdvance(dialog->windowTitle());
            if (typed) {
                QTest::keyClicks(dialog->focusWidget(), QStringLiteral("segreta"));
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        QString password;
        const bool given = prompter.askPassword(msg::net::certificatePasswordPrompt(QStringLiteral("a.p12")),
                                                msg::net::text(msg::net::Text::CertificateTitle), password);
        QCOMPARE(given, typed);
        if (typed)
            QCOMPARE(password, QStringLiteral("segreta"));
        // Beside the title, room for the window manager's icon, its three buttons and their margins.
        QVERIFY2(room >= 5 * QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight),
                 qPrintable(QString::number(room)));
    }
}

void TstScreens::printScreens()
{
    Fixture f;
    f.inst.addRequest(10, QStringLiteral("A"), 12, QStringLiteral("001"), 1);
    const QString answer = QStringLiteral("File VELTRANORPX_6_10.A12 ricevuto. Trasmissione completata con successo");
    int id = 0;
    for (const char* when : {"2026-12-06 10:15:00", "2026-12-06 11:20:30"})
        f.inst.sql(
            QStringLiteral("INSERT INTO Trasmissioni (Id, DataOra, NumDoma, NomeFile, Dimensione, SHA256, Esito, "
                           "Risposta) VALUES (?, ?, 10, 'VELTRANORPX_6_10.A12', 1234, '', 'Trasmessa', ?)"),
            {++id, QString::fromLatin1(when), answer});
    QVERIFY(f.open());
    f.state.selected = loadSelectedRequest(f.db, f.prompter, 10);

    // Not printed yet: send and save are off; once printed, on.
    QVERIFY(!child<QPushButton>(std::make_unique<DeliveryScreen>(f.ctx).get(), "cmdSend")->isEnabled());
    f.inst.sql(QStringLiteral("UPDATE Domande SET DomandaStampata = 1"));
    DeliveryScreen delivery(f.ctx);
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
        QVERIFY(history->columnWidth(column) >=
                history->fontMetrics().horizontalAdvance(history->item(0, column)->text()));
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
    QVERIFY(printListing(target, f.db, 10, QDate(2026, 3, 5), print::Ending::PageNumber).ok);
    QVERIFY(test::readFile(printer.outputFileName()).startsWith("%PDF-"));
}

void TstScreens::mainScreen()
{
    Fixture f;
    addDemoOperator(f, false);
    WindowKeys keys; // the commands' letters are given as the program gives every window's
    qApp->installEventFilter(&keys);
    const auto removed = qScopeGuard([&keys] { qApp->removeEventFilter(&keys); });
    MainScreen screen(f.ctx);
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
    // A link asks before it opens its page.
    f.prompter.expect(msg::app::linkQuestion(msg::app::Link::Producer), Answer::No);
    QTest::mouseClick(screen.label(QStringLiteral("lblLink1")), Qt::LeftButton);
    VX_VERIFY_PROMPTS(f.prompter);
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
    f.prompter.expect(msg::app::notice(msg::app::Notice::NoVerifier));
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
    // ... and then it never looks like a link under the pointer; nor does the label that runs nothing.
    for (const char* name : {"lblAggiorna", "lblRuoli"}) {
        QLabel* l = screen.label(QLatin1String(name));
        QApplication::sendEvent(l, &enter);
        QVERIFY2(l->palette().color(QPalette::WindowText) != QColor(255, 0, 0), name);
        QApplication::sendEvent(l, &leave);
    }

    // Every picture command is named for a screen reader, its label carries a letter of its own
    // (Alt+letter reaches it) and Enter starts the focused one.
    QSet<QChar> letters;
    for (QLabel* l : screen.findChildren<QLabel*>()) {
        auto* command = qobject_cast<QToolButton*>(l->buddy());
        if (!command)
            continue;
        QCOMPARE(command->accessibleName(), QString(l->text()).remove(QLatin1Char('&')));
        const qsizetype amp = l->text().indexOf(QLatin1Char('&'));
        QVERIFY2(amp >= 0, qPrintable(l->text()));
        const QChar letter = l->text().at(amp + 1).toLower();
        QVERIFY2(!letters.contains(letter), qPrintable(l->text()));
        letters.insert(letter);
    }
    QCOMPARE(letters.size(), 10);
    f.prompter.expect(msg::app::notice(msg::app::Notice::NoVerifier));
    opened.clear();
    QAbstractButton* draftCommand = screen.button(QStringLiteral("cmdStBozza"));
    draftCommand->setFocus();
    QTest::keyClick(draftCommand, Qt::Key_Return);
    QTest::qWait(50);
    VX_VERIFY_PROMPTS(f.prompter);
    QCOMPARE(opened, QStringList{QStringLiteral("StBozza")});
}

// The listing's printer comes from the printer module; without it the user is told and nothing prints.
void TstScreens::listingPrinterModule()
{
    Fixture f;
    const QTemporaryDir empty;
    modules::setFolders({empty.path()});
    f.prompter.expect(msg::print::printerModuleMissing(printerModuleFile()));
    QVERIFY(!listingPrinter(f.prompter));
    modules::setFolders({});
    VX_VERIFY_PROMPTS(f.prompter);
    QVERIFY(listingPrinter(f.prompter));
}

void TstScreens::operatorListScreen()
{
    Fixture f;
    addDemoOperator(f, false);
    f.inst.addOperator(QStringLiteral("B"), 7, QStringLiteral("SCUOLA"));
    Exchange exchange(ExchangeSettings{});
    OperatorListScreen screen(f.ctx, exchange);
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
    child<QPushButton>(&screen, "cmdAnnulla")->click();
    QVERIFY(!screen.goOn());
    VX_VERIFY_PROMPTS(f.prompter);

    // The confirmation of a download shows the operators' names whole, where the screen has room.
    DownloadConfirmationScreen confirmation(
        {QStringLiteral("B-7      - ISTITUTO TECNICO PER LA FORMAZIONE CONTINUA DEL PIEMONTE")});
    confirmation.show();
    QVERIFY(QTest::qWaitForWindowExposed(&confirmation));
    QCOMPARE(child<QListWidget>(&confirmation, "lstFile")->horizontalScrollBar()->maximum(), 0);
}

void TstScreens::databaseUpdateQuestions()
{
    // The main screen's update command reaches the update's course: its questions, then the
    // operator list; the connection is back afterwards.
    Fixture f;
    addDemoOperator(f, false);
    f.state.databasePath = f.inst.databasePath(); // the installation's, as start-up reads it
    MainScreen screen(f.ctx);
    QVERIFY(screen.load());
    f.prompter.expect(msg::refdata::internetQuestion(), Answer::Ok)
        .expect(msg::refdata::notice(msg::refdata::Notice::ClientsQuestion), Answer::Yes);
    bool listOpened = false;
    QTimer::singleShot(0, &screen, [&] {
        if (auto* list = qobject_cast<OperatorListScreen*>(QApplication::activeModalWidget())) {
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

// The screens' font is the widgets' own: a font made for printing is the application's, as before.
void TstScreens::screenFontLeavesPrinting()
{
    const QFont before = QApplication::font();
    useScreenFont();
    QWidget window;
    QLabel label(&window);
    QCOMPARE(label.font().hintingPreference(), QFont::PreferFullHinting);
    QVERIFY(label.font().styleStrategy() & QFont::PreferNoShaping);
    QCOMPARE(QApplication::font(), before);
    QCOMPARE(QFont().hintingPreference(), before.hintingPreference());
    QCOMPARE(QFont().styleStrategy(), before.styleStrategy());
}

QTEST_MAIN(TstScreens)
#include "tst_screens.moc"
