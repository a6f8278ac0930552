#include "requests/screens/RequestNumberWindow.h"

#include "core/Messages.h"
#include "requests/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

RequestNumberWindow::RequestNumberWindow(std::function<qint32()> request, QWidget* parent,
                                         std::function<void()> interrupt)
    : QDialog(parent), m_request(std::move(request)), m_interrupt(std::move(interrupt))
{
    setObjectName(QStringLiteral("FrmnReg"));
    setWindowTitle(msg::requests::text(msg::requests::Text::NumberRequestCaption));
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("LblInf2"));
    auto* stop = new QPushButton(msg::core::text(msg::core::Text::StopCaption), this);
    stop->setObjectName(QStringLiteral("cmdInterrompi"));
    stop->setToolTip(msg::requests::text(msg::requests::Text::StopTooltip));
    stop->setAutoDefault(false);
    stop->setEnabled(static_cast<bool>(m_interrupt));
    connect(stop, &QPushButton::clicked, this, [this] {
        if (m_interrupt)
            m_interrupt();
    });
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(stop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(msg::requests::text(msg::requests::Text::NumberRequestText), this));
    layout->addLayout(progressRow);
    resize(420, 90);
}

void RequestNumberWindow::showProgress(const QString& text)
{
    m_progress->setText(text);
}

void RequestNumberWindow::reject()
{
    if (!m_running) {
        QDialog::reject();
        return;
    }
    if (m_interrupt)
        m_interrupt();
}

void RequestNumberWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(0, this, [this] {
        m_running = true;
        m_number = m_request();
        m_running = false;
        accept();
    });
}

} // namespace vx
