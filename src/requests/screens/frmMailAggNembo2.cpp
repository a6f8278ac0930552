#include "requests/screens/frmMailAggNembo2.h"

#include "core/Desktop.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx {

frmMailAggNembo2::frmMailAggNembo2(Context& context, const QUrl& loginPage, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_loginPage(loginPage)
{
    setObjectName(QStringLiteral("frmMailAggNembo2"));
    setWindowTitle(QStringLiteral("Modalità di autenticazione alternativa"));

    auto* address = new QLineEdit(loginPage.toString(), this);
    address->setObjectName(QStringLiteral("txtIndirizzo"));
    address->setReadOnly(true);
    auto* open = new QPushButton(QStringLiteral("Apri nel browser"), this);
    open->setObjectName(QStringLiteral("cmdApri"));
    connect(open, &QPushButton::clicked, this, [this] { openOrTell(m_ctx.prompter, m_ctx.desktop, m_loginPage); });

    auto* example = new QLabel(kExample, this);
    example->setObjectName(QStringLiteral("lblEsempio"));
    example->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_response = new QPlainTextEdit(this);
    m_response->setObjectName(QStringLiteral("TxtRisposta"));
    auto* confirmButton = new QPushButton(QStringLiteral("Conferma"), this);
    confirmButton->setObjectName(QStringLiteral("imgConferma"));
    connect(confirmButton, &QPushButton::clicked, this, &frmMailAggNembo2::confirm);

    auto* addressRow = new QHBoxLayout;
    addressRow->addWidget(address, 1);
    addressRow->addWidget(open);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(confirmButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Indirizzo da aprire nel browser:"), this));
    layout->addLayout(addressRow);
    layout->addWidget(
        new QLabel(QStringLiteral("copiare qui sotto, INTEGRALEMTENTE,  il testo ottenuto come risposta"), this));
    layout->addWidget(m_response, 1);
    auto* exampleRow = new QHBoxLayout;
    exampleRow->addWidget(new QLabel(QStringLiteral("esempio di risposta:"), this));
    exampleRow->addWidget(example, 1);
    layout->addLayout(exampleRow);
    layout->addLayout(buttons);
    resize(560, 300);

    openOrTell(m_ctx.prompter, m_ctx.desktop, m_loginPage);
}

void frmMailAggNembo2::confirm()
{
    m_answer = m_response->toPlainText();
    accept();
}

} // namespace vx
