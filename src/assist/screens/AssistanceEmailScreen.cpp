#include "assist/screens/AssistanceEmailScreen.h"

#include "assist/Messages.h"
#include "assist/screens/ControllaEmail.h"
#include "core/AppState.h"
#include "core/Messages.h"
#include "core/UserSettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

AssistanceEmailScreen::AssistanceEmailScreen(Context& context, QWidget* parent) : QDialog(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("frmMailAggInst"));
    setWindowTitle(msg::assist::text(msg::assist::Text::EmailTitle));

    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("txtEMail"));
    m_email->setMaxLength(255);
    const QString saved = UserSettings().email();
    m_email->setText(saved.isEmpty() ? UserSettings::kEmailPrompt : saved);
    QTimer::singleShot(0, m_email, [this] { m_email->selectAll(); });

    auto* confirmButton = new QPushButton(msg::core::text(msg::core::Text::ConfirmCaption), this);
    confirmButton->setObjectName(QStringLiteral("cmdConferma"));
    confirmButton->setDefault(true);
    auto* cancelButton = new QPushButton(msg::core::text(msg::core::Text::CancelCaption), this);
    cancelButton->setObjectName(QStringLiteral("cmdAnnulla"));
    connect(confirmButton, &QPushButton::clicked, this, &AssistanceEmailScreen::confirm);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirmButton);
    buttons->addWidget(cancelButton);
    auto* layout = new QVBoxLayout(this);
    auto* question = new QLabel(msg::assist::text(msg::assist::Text::EmailQuestion), this);
    question->setBuddy(m_email);
    layout->addWidget(question);
    layout->addWidget(m_email);
    layout->addLayout(buttons);
    resize(440, 120);
}

void AssistanceEmailScreen::confirm()
{
    if (!ControllaEmail(m_email, m_ctx.prompter))
        return;
    UserSettings().setEmail(m_email->text());
    accept();
}

bool AssistanceEmailScreen::ask(Context& context, QWidget* parent)
{
    AssistanceEmailScreen prompt(context, parent);
    // Accepted only once the address passed its check.
    return prompt.exec() == QDialog::Accepted;
}

} // namespace vx
