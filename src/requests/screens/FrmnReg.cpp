#include "requests/screens/FrmnReg.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

FrmnReg::FrmnReg(std::function<qint32()> request, QWidget* parent) : QDialog(parent), m_request(std::move(request))
{
    setObjectName(QStringLiteral("FrmnReg"));
    setWindowTitle(QStringLiteral("Numero di registrazione"));
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("LblInf2"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Richiesta del numero di registrazione della nuova domanda."), this));
    layout->addWidget(m_progress);
    resize(420, 90);
}

void FrmnReg::showProgress(const QString& text)
{
    m_progress->setText(text);
}

void FrmnReg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(0, this, [this] {
        m_number = m_request();
        accept();
    });
}

} // namespace vx
