#include "app/screens/MainScreen.h"

#include "app/DatabaseUpdateFlow.h"
#include "app/screens/OptionsScreen.h"
#include "app/screens/ProgressWindow.h"
#include "assist/screens/AssistanceRequestScreen.h"
#include "backup/screens/BackupScreen.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "net/Exchange.h"
#include "print/screens/PrintScreen.h"
#include "print/screens/SendConfirmationScreen.h"
#include "refdata/Messages.h"
#include "refdata/screens/OperatorListScreen.h"
#include "requests/Messages.h"
#include "requests/SelectedRequest.h"
#include "requests/screens/RequestSelectionScreen.h"
#include "roles/screens/RolesListScreen.h"
#include "store/Database.h"
#include "store/ErrorAdvice.h"
#include "ui/Caption.h"
#include "ui/Fonts.h"
#include "ui/Pictures.h"
#include "ui/WaitCursor.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace vx {

namespace {
QLabel* namedLabel(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* l = new Caption(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

} // namespace

MainScreen::MainScreen(Context& context, QWidget* parent) : QWidget(parent), m_ctx(context), m_rules(context)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(CommandGating::caption(m_ctx.state.version));
    setMouseTracking(true);
    using msg::app::Command;

    auto* title = namedLabel(this, "Label3", msg::app::text(msg::app::Text::MainTitle));
    title->setFont(titleFont(title->font()));
    auto* subtitle = namedLabel(this, "Label4", msg::app::text(msg::app::Text::MainSubtitle));
    subtitle->setFont(boldFont(subtitle->font()));
    auto* disclaimer = namedLabel(this, "Label5", msg::app::text(msg::app::Text::Disclaimer));
    disclaimer->setWordWrap(true);

    auto* request = new QGroupBox(msg::app::selectedRequestFrame(), this);
    m_group = namedLabel(request, "lblGrOpe");
    m_code = namedLabel(request, "lblCodOpe");
    m_name = namedLabel(request, "lblDenOpe");
    m_province = namedLabel(request, "lblDenProv");
    m_number = namedLabel(request, "LblNumDoma");
    for (QLabel* l : {m_group, m_code, m_name, m_province, m_number})
        l->setFont(boldFont(l->font()));
    auto* header = new QHBoxLayout(request);
    header->addWidget(new Caption(msg::app::text(msg::app::Text::OperatorLabel), request));
    header->addWidget(m_group);
    header->addWidget(m_code);
    header->addWidget(m_name, 1);
    header->addWidget(namedLabel(request, "Label6", msg::requests::text(msg::requests::Text::ProvinceLabel)));
    header->addWidget(m_province);
    header->addWidget(namedLabel(request, "Label30", msg::app::text(msg::app::Text::NumberLabel)));
    header->addWidget(m_number);

    auto* commandsBox = new QWidget(this);
    m_commands = new QGridLayout(commandsBox);
    m_commands->setColumnStretch(1, 1);

    // The label of "Nominativi e Ruoli" has no action of its own: only its button opens the list.
    addCommands({
        {"cmdSelDoma", "lblSelDoma", Command::SelDoma, [this] { selectRequest(); }},
        {"cmdRuoli", "lblRuoli", Command::Ruoli, [this] { openRoles(); }, false},
        {"cmdStBozza", "lblStBozza", Command::StBozza, [this] { draftPrint(); }},
        {"cmdInvia1", "lblInvia1", Command::Invia1, [this] { definitivePrint(); }},
        {"cmdAggInst", "lblAggiorna", Command::AggInst, [this] { databaseUpdate(); }},
        {"cmdBackup", "lblBackup", Command::Backup, [this] { openBackup(); }},
        {"cmdOpzioni", "lblOpzioni", Command::Opzioni, [this] { openOptions(); }},
        {"cmdMailHelp", "lblMailHelp", Command::MailHelp, [this] { contactAssistance(); }},
        {"cmdHelp", "lblHelp", Command::Help, [this] { help(); }},
        {"cmdEsci", "lblEsci", Command::Esci, [this] { Q_EMIT exitRequested(); }},
    });
    button(QStringLiteral("cmdHelp"))->setShortcut(QKeySequence(Qt::Key_F1));

    m_calendarLabel = namedLabel(this, "lblCalendario", msg::app::text(msg::app::Text::ShowCalendar));
    m_calendarLabel->setToolTip(msg::app::text(msg::app::Text::ShowCalendar));
    m_calendarLabel->setCursor(Qt::PointingHandCursor);
    m_calendarLabel->installEventFilter(this);

    // The links look like links; they are plain labels, which lay out faster than rich text.
    auto* links = new QHBoxLayout;
    for (const LinkTarget& link : m_rules.links()) {
        auto* l = namedLabel(this, QStringLiteral("lblLink%1").arg(m_links.size() + 1).toLatin1().constData(),
                             msg::app::linkCaption(link.link));
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, p.color(QPalette::Link));
        l->setPalette(p);
        QFont f = l->font();
        f.setUnderline(true);
        l->setFont(f);
        l->setCursor(Qt::PointingHandCursor);
        l->setToolTip(link.address.toString());
        l->setVisible(link.address.isValid() && !link.address.isEmpty());
        l->installEventFilter(this);
        m_links.append({l, link});
        links->addWidget(l);
    }
    links->addStretch();

    m_waitPanel = namedLabel(this, "panel_Attesa", msg::app::loadingPanel());
    m_waitPanel->hide();
    m_updatePanel = new QWidget(this);
    m_updatePanel->setObjectName(QStringLiteral("pnlAttesa"));
    auto* updateLayout = new QHBoxLayout(m_updatePanel);
    updateLayout->addWidget(new Caption(msg::app::updatePanel(), m_updatePanel));
    auto* cancelUpdate = new QPushButton(msg::core::text(msg::core::Text::CancelCaption), m_updatePanel);
    cancelUpdate->setObjectName(QStringLiteral("cmdAnnullaAgg"));
    updateLayout->addWidget(cancelUpdate);
    m_updatePanel->hide();

    m_side = new QVBoxLayout;
    m_side->addWidget(m_calendarLabel);
    m_side->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(commandsBox, 1);
    body->addLayout(m_side);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(subtitle);
    layout->addWidget(request);
    layout->addWidget(m_waitPanel);
    layout->addWidget(m_updatePanel);
    layout->addLayout(body, 1);
    layout->addWidget(disclaimer);
    layout->addLayout(links);
}

void MainScreen::addCommands(std::vector<Command> commands)
{
    m_commandList = std::move(commands);
    const QIcon arrow = picture(Picture::Command, palette());
    for (Command& c : m_commandList) {
        const QString caption = msg::app::commandCaption(c.command);
        c.button = new QToolButton(this);
        c.button->setObjectName(QLatin1String(c.buttonName));
        c.button->setIcon(arrow);
        c.button->setIconSize(QSize(24, 24));
        c.button->setCursor(Qt::PointingHandCursor);
        // A picture a screen reader names by its command; its label's letter (Alt+letter, given with
        // every window's letters) reaches it.
        c.button->setAccessibleName(caption);
        c.button->setAccessibleDescription(msg::app::commandHint(c.command));
        c.label = namedLabel(this, c.labelName, caption);
        c.label->setBuddy(c.button);
        if (c.labelActs) // a label that is no command does not look like one
            c.label->setCursor(Qt::PointingHandCursor);
        QFont f = c.label->font();
        f.setPointSize(9);
        c.label->setFont(f);
        const int row = m_commands->rowCount();
        m_commands->addWidget(c.button, row, 0);
        m_commands->addWidget(c.label, row, 1);
        c.button->installEventFilter(this);
        c.label->installEventFilter(this);
        connect(c.button, &QAbstractButton::clicked, this, c.action);
    }
}

const MainScreen::Command* MainScreen::commandOf(const QObject* widget) const
{
    for (const Command& c : m_commandList) {
        if (c.button == widget || c.label == widget)
            return &c;
    }
    return nullptr;
}

QAbstractButton* MainScreen::button(const QString& name) const
{
    return findChild<QAbstractButton*>(name);
}

QLabel* MainScreen::label(const QString& name) const
{
    return findChild<QLabel*>(name);
}

QString MainScreen::hint() const
{
    return m_hint;
}

void MainScreen::applyLook(QLabel* hovered)
{
    const LookOptions& look = m_ctx.state.look;
    for (const Command& c : m_commandList) {
        QLabel* l = c.label;
        if (l == label(QStringLiteral("lblAggiorna")) && !m_update.enabled)
            continue;
        // Only a command that can run looks like a link under the pointer.
        const bool on = l == hovered && c.button->isEnabled();
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, on && look.changeColour ? kRed : kBlue);
        l->setPalette(p);
        QFont f = l->font();
        f.setBold(on && look.bold);
        f.setUnderline(on && look.underline);
        l->setFont(f);
    }
}

bool MainScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_calendarLabel) {
        if (event->type() == QEvent::MouseButtonRelease) {
            if (!m_calendar) {
                m_calendar = new QCalendarWidget(this);
                m_calendar->setObjectName(QStringLiteral("calendario"));
                m_calendar->setSelectedDate(m_ctx.clock.now().date());
                m_calendar->hide();
                m_side->insertWidget(1, m_calendar);
            }
            m_calendar->setVisible(!m_calendar->isVisible());
            m_calendarLabel->setToolTip(m_calendar->isVisible() ? msg::app::text(msg::app::Text::HideCalendar)
                                                                : msg::app::text(msg::app::Text::ShowCalendar));
        }
        return false;
    }
    for (const auto& [label, link] : std::as_const(m_links)) {
        if (watched == label && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            m_rules.openLink(link);
            return true;
        }
    }
    if (const Command* c = commandOf(watched)) {
        switch (event->type()) {
        case QEvent::KeyPress: {
            // Enter starts the focused command, as Space does.
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (watched == c->button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                if (c->button->isEnabled())
                    c->button->click();
                return true;
            }
            break;
        }
        case QEvent::Enter:
            // A label that runs nothing is no link.
            applyLook(watched == c->label && !c->labelActs ? nullptr : c->label);
            m_hint = msg::app::commandHint(c->command);
            Q_EMIT hintChanged(m_hint);
            break;
        case QEvent::Leave:
            // The hint goes with the pointer, so that the status bar never names a command it left.
            applyLook(nullptr);
            m_hint.clear();
            Q_EMIT hintChanged(m_hint);
            break;
        case QEvent::MouseButtonRelease:
            if (watched == c->label && c->labelActs && c->button->isEnabled())
                c->button->click();
            break;
        default:
            break;
        }
    }
    return false;
}

bool MainScreen::load()
{
    m_waitPanel->show();
    if (!m_rules.checkVersion())
        return false;
    setWindowTitle(CommandGating::caption(m_ctx.state.version));
    m_ctx.state.look = UserSettings().lookOptions();
    m_update = m_rules.updateStateAtLoad();
    showUpdateState();
    refreshHeader();
    applyLook(nullptr);
    m_waitPanel->hide();
    return true;
}

bool MainScreen::firstActivation()
{
    if (m_ctx.state.firstInstallation)
        m_rules.help();
    // The selection ends the program when it is left without a Request, so one round is enough.
    if (m_rules.needsSelection() && !selectRequest())
        return false;
    activation();
    return true;
}

void MainScreen::activation()
{
    refreshHeader();
    m_update = m_rules.updateStateAtActivation(m_update);
    showUpdateState();
}

void MainScreen::refreshHeader()
{
    const MainHeader h = m_rules.header();
    m_group->setText(h.group);
    m_code->setText(h.code);
    m_name->setText(h.name);
    m_name->setToolTip(h.nameTooltip);
    m_province->setText(h.provinceName);
    m_number->setText(h.number);
}

void MainScreen::showUpdateState()
{
    QAbstractButton* b = button(QStringLiteral("cmdAggInst"));
    QLabel* l = label(QStringLiteral("lblAggiorna"));
    b->setEnabled(m_update.enabled);
    b->setIcon(picture(m_update.greyed ? Picture::UpdateStopped : Picture::Update, palette()));
    l->setVisible(m_update.labelVisible);
    l->setEnabled(m_update.labelEnabled);
}

bool MainScreen::selectRequest()
{
    {
        RequestSelectionScreen screen(m_ctx, this);
        screen.exec();
    }
    if (m_ctx.control.ended()) {
        Q_EMIT exitRequested();
        return false;
    }
    if (!m_rules.selectionDone()) {
        Q_EMIT exitRequested();
        return false;
    }
    activation();
    return true;
}

void MainScreen::openRoles()
{
    RolesListScreen list(m_ctx, this);
    list.exec();
    activation();
}

void MainScreen::draftPrint()
{
    if (m_rules.draftPrint()) {
        PrintScreen dialog(m_ctx, PrintSession::Choice::Draft, this);
        dialog.exec();
    }
    activation();
}

void MainScreen::definitivePrint()
{
    if (m_rules.definitivePrint()) {
        SendConfirmationScreen screen(m_ctx, this);
        screen.exec();
    }
    activation();
}

void MainScreen::databaseUpdate()
{
    if (m_rules.databaseUpdate() && !runDatabaseUpdate())
        return; // the program ends
    // The update may have changed the operator's data of the selected Request.
    m_ctx.state.selected = loadSelectedRequest(m_ctx.db, m_ctx.prompter, m_ctx.state.selected.number);
    activation();
}

namespace {
// The screens of the database update: the main screen's waiting text, the operator list and the
// progress window.
class UpdateScreens : public DatabaseUpdateScreens {
public:
    UpdateScreens(Context& ctx, QWidget* parent, QLabel* waitPanel) : m_ctx(ctx), m_parent(parent), m_wait(waitPanel) {}

    void showWaiting(const QString& text) override
    {
        if (text.isEmpty()) {
            m_wait->setText(m_saved);
            m_wait->hide();
            return;
        }
        m_saved = m_wait->text();
        m_wait->setText(text);
        m_wait->show();
    }
    bool chooseOperators() override
    {
        Exchange exchange(ExchangeSettings::ofInstallation(m_ctx.state.programFolder));
        OperatorListScreen list(m_ctx, exchange, m_parent);
        list.exec();
        return list.goOn();
    }
    void openProgress() override
    {
        m_progress = std::make_unique<ProgressWindow>(m_parent);
        m_progress->setWindowTitle(msg::refdata::text(msg::refdata::Text::Title));
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->showStep(msg::refdata::text(msg::refdata::Text::ProgressHeading),
                             msg::refdata::text(msg::refdata::Text::ProgressWait));
    }
    void showProgress(const QString& file, const QString& table, int rows, int total) override
    {
        m_progress->showProgress(file, table, rows, rows, total);
    }
    void closeProgress() override
    {
        m_progress->close();
        m_progress.reset();
    }

private:
    Context& m_ctx;
    QWidget* m_parent;
    QLabel* m_wait;
    QString m_saved;
    std::unique_ptr<ProgressWindow> m_progress;
};
} // namespace

bool MainScreen::runDatabaseUpdate()
{
    UpdateScreens screens(m_ctx, this, m_waitPanel);
    if (DatabaseUpdateFlow(m_ctx, screens).run())
        return true;
    Q_EMIT exitRequested();
    return false;
}

void MainScreen::openBackup()
{
    {
        BackupScreen screen(m_ctx, this);
        screen.exec();
    }
    if (m_ctx.control.ended()) {
        Q_EMIT exitRequested();
        return;
    }
    // A restore may have brought another database: the selected Request is read again from it.
    m_ctx.state.selected = loadSelectedRequest(m_ctx.db, m_ctx.prompter, m_ctx.state.selected.number);
    activation();
}

void MainScreen::openOptions()
{
    OptionsScreen options(m_ctx, this);
    options.exec();
    if (m_ctx.control.ended()) {
        Q_EMIT exitRequested();
        return;
    }
    QLabel* l = label(QStringLiteral("lblOpzioni"));
    QFont f = l->font();
    f.setBold(false);
    f.setUnderline(false);
    f.setPointSize(9);
    l->setFont(f);
    applyLook(nullptr);
    activation();
}

void MainScreen::contactAssistance()
{
    // Beside the main screen, not modal; one at a time.
    if (!m_assistance) {
        m_assistance = new AssistanceRequestScreen(m_ctx, this);
        m_assistance->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_assistance->show();
    m_assistance->raise();
    m_assistance->activateWindow();
}

void MainScreen::help()
{
    m_rules.help();
}

} // namespace vx
