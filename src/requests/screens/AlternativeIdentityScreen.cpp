#include "requests/screens/AlternativeIdentityScreen.h"

#include "core/Desktop.h"
#include "core/Messages.h"
#include "requests/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx {

AlternativeIdentityScreen::AlternativeIdentityScreen(Context& context, const QUrl& loginPage, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_loginPage(loginPage)
{
    setObjectName(QStringLiteral("frmMailAggNembo2"));
    setWindowTitle(msg::requests::text(msg::requests::Text::AlternativeCaption));

    auto* address = new QLineEdit(loginPage.toString(), this);
    address->setObjectName(QStringLiteral("txtIndirizzo"));
    address->setReadOnly(true);
    auto* open = new QPushButton(msg::requests::text(msg::requests::Text::OpenInBrowser), this);
    open->setObjectName(QStringLiteral("cmdApri"));
    connect(open, &QPushButton::clicked, this, [this] { openOrTell(m_ctx.prompter, m_ctx.desktop, m_loginPage); });

    auto* example = new QLabel(msg::requests::text(msg::requests::Text::ExampleAnswer), this);
    example->setObjectName(QStringLiteral("lblEsempio"));
    example->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_response = new QPlainTextEdit(this);
    m_response->setObjectName(QStringLiteral("TxtRisposta"));
    auto* confirmButton = new QPushButton(msg::core::text(msg::core::Text::ConfirmCaption), this);
    confirmButton->setObjectName(QStringLiteral("imgConferma"));
    connect(confirmButton, &QPushButton::clicked, this, &AlternativeIdentityScreen::confirm);

    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(address, 1);
    addressRow->addWidget(open);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirmButton);
    auto* layout = new QVBoxLayout(this);
    auto* addressLabel = new QLabel(msg::requests::text(msg::requests::Text::AddressLabel), this);
    addressLabel->setBuddy(address);
    layout->addWidget(addressLabel);
    layout->addLayout(addressRow);
    layout->addWidget(new QLabel(msg::requests::text(msg::requests::Text::AnswerInstruction), this));
    layout->addWidget(m_response, 1);
    auto* exampleRow = new QHBoxLayout;
    exampleRow->addWidget(new QLabel(msg::requests::text(msg::requests::Text::ExampleLabel), this));
    exampleRow->addWidget(example, 1);
    layout->addLayout(exampleRow);
    layout->addLayout(buttons);
    resize(560, 300);

    openOrTell(m_ctx.prompter, m_ctx.desktop, m_loginPage);
}

void AlternativeIdentityScreen::confirm()
{
    m_answer = m_response->toPlainText();
    accept();
}

} // namespace vx
