#include "print/screens/PrintScreen.h"

#include "core/AppState.h"
#include "core/Help.h"
#include "core/Messages.h"
#include "print/Messages.h"
#include "print/PainterPrintTarget.h"
#include "print/screens/PrintProgressWindow.h"
#include "print/screens/RequestFrame.h"
#include "ui/KeyFilters.h"
#include "ui/NamedButton.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vx {

namespace {
QLabel* note(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}
} // namespace

PrintScreen::PrintScreen(Context& context, PrintSession::Choice choice, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_session(context, choice)
{
    setObjectName(QStringLiteral("StBozza"));
    const PrintSession::Labels labels = PrintSession::labelsFor(choice);
    setWindowTitle(labels.caption);

    auto* type = new QLabel(labels.printType, this);
    type->setObjectName(QStringLiteral("lblTipoStampa"));
    QFont bold = type->font();
    bold.setBold(true);
    type->setFont(bold);

    auto* intervalFrame = new QGroupBox(msg::print::text(msg::print::Text::IntervalFrame), this);
    m_interval = new QLineEdit(QStringLiteral("0"), intervalFrame);
    m_interval->setObjectName(QStringLiteral("txtIntervallo"));
    m_interval->setMaximumWidth(60);
    installDecimal(m_interval, m_ctx.prompter);
    auto* intervalRow = new QHBoxLayout;
    auto* intervalLabel = new QLabel(msg::print::text(msg::print::Text::IntervalLabel), intervalFrame);
    intervalLabel->setBuddy(m_interval);
    m_interval->setAccessibleName(msg::print::text(msg::print::Text::IntervalName));
    intervalRow->addWidget(intervalLabel);
    intervalRow->addWidget(m_interval);
    intervalRow->addWidget(new QLabel(msg::print::text(msg::print::Text::IntervalUnit), intervalFrame));
    intervalRow->addStretch();
    auto* intervalLayout = new QVBoxLayout(intervalFrame);
    intervalLayout->addLayout(intervalRow);
    intervalLayout->addWidget(note(intervalFrame, msg::print::text(msg::print::Text::IntervalNote)));
    intervalLayout->addWidget(note(intervalFrame, msg::print::text(msg::print::Text::IntervalZeroNote)));

    auto* emergencyFrame = new QGroupBox(msg::print::text(msg::print::Text::EmergencyFrame), this);
    auto* emergency =
        namedButton(emergencyFrame, "cmdStampaEmergenza", msg::print::text(msg::print::Text::EmergencyCaption));
    auto* emergencyLayout = new QHBoxLayout(emergencyFrame);
    emergencyLayout->addWidget(emergency);
    emergencyLayout->addWidget(note(emergencyFrame, msg::print::text(msg::print::Text::EmergencyNote)), 1);

    auto* confirm = namedButton(this, "cmdSt", msg::core::text(msg::core::Text::ConfirmCaption));
    confirm->setDefault(true);
    auto* cancel = namedButton(this, "cmdAnnSt", msg::core::text(msg::core::Text::CancelCaption));
    auto* printer = namedButton(this, "CmdImpStamp", msg::print::text(msg::print::Text::PrinterSetUpCaption));
    auto* help = namedButton(this, "cmdAiuto", msg::core::text(msg::core::Text::HelpCaption));
    connect(confirm, &QPushButton::clicked, this, &PrintScreen::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(printer, &QPushButton::clicked, this, &PrintScreen::setUpPrinter);
    connect(emergency, &QPushButton::clicked, this, &PrintScreen::emergencyPrint);
    connect(help, &QPushButton::clicked, this, &PrintScreen::help);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addWidget(printer);
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(requestFrame(m_ctx, this));
    layout->addWidget(type);
    layout->addWidget(intervalFrame);
    layout->addWidget(emergencyFrame);
    layout->addLayout(buttons);
    resize(choice == PrintSession::Choice::Draft ? 620 : 680, 380);
}

void PrintScreen::confirm()
{
    m_session.setInterval(m_interval->text());
    if (!m_session.confirmed())
        return;
    PrintProgressWindow progress(m_ctx, m_session, this);
    progress.exec();
    if (progress.written() && m_session.choice() == PrintSession::Choice::Definitive)
        m_definitiveWritten = true;
}

void PrintScreen::setUpPrinter()
{
    setUpListingPrinter(m_ctx.prompter, this);
}

void PrintScreen::emergencyPrint()
{
    QPagedPaintDevice* printer = listingPrinter(m_ctx.prompter);
    if (!printer)
        return;
    PainterPrintTarget target(*printer);
    if (m_session.emergencyPrint(target))
        tellListingFile(m_ctx.prompter);
}

void PrintScreen::help()
{
    showHelp(m_ctx, m_ctx.state.helpFilePath);
}

} // namespace vx
