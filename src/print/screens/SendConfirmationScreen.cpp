#include "print/screens/SendConfirmationScreen.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Help.h"
#include "core/Messages.h"
#include "print/Messages.h"
#include "print/screens/DeliveryScreen.h"
#include "print/screens/RequestFrame.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx {

SendConfirmationScreen::SendConfirmationScreen(Context& context, QWidget* parent) : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("Invia"));
    setWindowTitle(msg::print::text(msg::print::Text::SendConfirmationCaption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(requestFrame(m_ctx, this));
    auto* heading = new QLabel(msg::print::text(msg::print::Text::SendHeading), this);
    QFont big = heading->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 3);
    heading->setFont(big);
    layout->addWidget(heading);
    for (const QString& line :
         {msg::print::text(msg::print::Text::SendStepsHeading), msg::print::text(msg::print::Text::SendStepPrint),
          msg::print::text(msg::print::Text::SendStepCopy), msg::print::text(msg::print::Text::SendStepSend)})
        layout->addWidget(new QLabel(line, this));
    auto* warning = new QLabel(msg::print::text(msg::print::Text::SendWarningHeading), this);
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    warning->setStyleSheet(QStringLiteral("color: red"));
    layout->addWidget(warning);
    auto* never = new QLabel(msg::print::text(msg::print::Text::SendWarning), this);
    never->setWordWrap(true);
    never->setFont(bold);
    layout->addWidget(never);

    auto* confirm = new QPushButton(msg::core::text(msg::core::Text::ConfirmCaption), this);
    confirm->setObjectName(QStringLiteral("cmdConf"));
    confirm->setDefault(true);
    auto* cancel = new QPushButton(msg::core::text(msg::core::Text::CancelCaption), this);
    cancel->setObjectName(QStringLiteral("cmdAnnul"));
    auto* help = new QPushButton(msg::core::text(msg::core::Text::HelpCaption), this);
    help->setObjectName(QStringLiteral("cmdAiuto"));
    connect(confirm, &QPushButton::clicked, this, &SendConfirmationScreen::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelp(m_ctx, m_ctx.state.helpFilePath); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(confirm);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
}

void SendConfirmationScreen::confirm()
{
    {
        DeliveryScreen screen(m_ctx, this);
        screen.exec();
    }
    accept();
}

} // namespace vx
