#include "transmission/screens/UploadScreen.h"

#include "core/AppState.h"
#include "core/Messages.h"
#include "core/UserSettings.h"
#include "net/Exchange.h"
#include "transmission/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

namespace m = msg::transmission;

UploadScreen::UploadScreen(Context& context, RequestDelivery& delivery, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_delivery(delivery)
{
    setObjectName(QStringLiteral("frmUpload"));
    setWindowTitle(m::uploadTitle());

    m_email = new QLineEdit(this);
    m_email->setObjectName(QStringLiteral("txtEMail"));
    m_email->setMaxLength(255);
    const QString saved = UserSettings().email();
    m_email->setText(saved.isEmpty() ? m::text(m::Text::EmailPrompt) : saved);
    QTimer::singleShot(0, m_email, [this] { m_email->selectAll(); });
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("lblStato"));

    m_send = new QPushButton(m::text(m::Text::SendCaption), this);
    m_send->setObjectName(QStringLiteral("cmdInvia"));
    m_send->setDefault(true);
    m_stop = new QPushButton(msg::core::text(msg::core::Text::StopCaption), this);
    m_stop->setObjectName(QStringLiteral("cmdInterrompi"));
    m_stop->setToolTip(m::text(m::Text::StopTip));
    m_stop->setAutoDefault(false);
    m_stop->setEnabled(false);
    m_exit = new QPushButton(msg::core::text(msg::core::Text::ExitCaption), this);
    m_exit->setObjectName(QStringLiteral("cmdEsci"));
    connect(m_send, &QPushButton::clicked, this, &UploadScreen::send);
    connect(m_stop, &QPushButton::clicked, this, [this] { m_delivery.exchange().cancel(); });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_delivery.exchange(), &Exchange::busyChanged, m_stop, &QWidget::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_send);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(m::text(m::Text::SenderCaption), this));
    layout->addWidget(m_email);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    resize(440, 140);
}

void UploadScreen::setRunning(bool running)
{
    m_running = running;
    m_send->setEnabled(!running);
    m_exit->setEnabled(!running);
    m_email->setReadOnly(running);
}

void UploadScreen::send()
{
    // The wait for the region keeps the screen painting: a click that reaches here meanwhile
    // must not start the upload a second time.
    if (m_running)
        return;
    setRunning(true);
    m_sent = m_delivery.upload(m_ctx.state.selected.number, m_email->text(),
                               [this](const QString& text) { m_progress->setText(text); });
    setRunning(false);
    m_progress->clear();
    if (m_sent)
        accept();
}

void UploadScreen::reject()
{
    if (!m_running) {
        QDialog::reject();
        return;
    }
    if (m_delivery.exchange().busy())
        m_delivery.exchange().cancel();
}

} // namespace vx
