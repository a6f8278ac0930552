#include "transmission/screens/frmUpload.h"

#include "core/AppState.h"
#include "core/UserSettings.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

frmUpload::frmUpload(Context& context, RequestDelivery& delivery, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_delivery(delivery)
{
    setObjectName(QStringLiteral("frmUpload"));
    setWindowTitle(QStringLiteral("Trasmissione dati"));

    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("txtEMail"));
    m_email->setMaxLength(255);
    const QString saved = UserSettings().email();
    m_email->setText(saved.isEmpty() ? kEmailPrompt : saved);
    QTimer::singleShot(0, m_email, [this] { m_email->selectAll(); });
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("lblStato"));

    auto* sendButton = new QPushButton(QStringLiteral("Invia"), this);
    sendButton->setObjectName(QStringLiteral("cmdInvia"));
    sendButton->setDefault(true);
    auto* exitButton = new QPushButton(QStringLiteral("Esci"), this);
    exitButton->setObjectName(QStringLiteral("cmdEsci"));
    connect(sendButton, &QPushButton::clicked, this, &frmUpload::send);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sendButton);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Indirizzo e-mail del mittente:"), this));
    layout->addWidget(m_email);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    resize(440, 140);
}

void frmUpload::send()
{
    m_sent = m_delivery.upload(m_ctx.state.selected.number, m_email->text(),
                               [this](const QString& text) { m_progress->setText(text); });
    m_progress->clear();
    if (m_sent)
        accept();
}

} // namespace vx
