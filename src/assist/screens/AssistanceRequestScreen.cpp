#include "assist/screens/AssistanceRequestScreen.h"

#include "assist/Messages.h"
#include "core/Messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vx {

AssistanceRequestScreen::AssistanceRequestScreen(Context& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_request(context, [this](const QString& text) {
          m_status->setText(text);
          QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      })
{
    setObjectName(QStringLiteral("Browser"));
    setWindowTitle(msg::assist::text(msg::assist::Text::FormCaption));
    m_status = new QLabel(msg::assist::text(msg::assist::Text::StatusReady), this);
    m_status->setObjectName(QStringLiteral("Label1"));
    m_status->setWordWrap(true);
    auto* note = new QLabel(msg::assist::text(msg::assist::Text::FormNote), this);
    note->setWordWrap(true);
    m_access = new QPushButton(msg::assist::text(msg::assist::Text::AccessCaption), this);
    m_access->setObjectName(QStringLiteral("Command2"));
    m_access->setDefault(true);
    m_exit = new QPushButton(msg::core::text(msg::core::Text::ExitCaption), this);
    m_exit->setObjectName(QStringLiteral("Command1"));
    connect(m_access, &QPushButton::clicked, this, &AssistanceRequestScreen::access);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_access);
    buttons->addWidget(m_exit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(note);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(520, 200);
}

void AssistanceRequestScreen::access()
{
    m_access->setEnabled(false);
    m_exit->setEnabled(false);
    m_request.run();
    m_access->setEnabled(true);
    m_exit->setEnabled(true);
}

} // namespace vx
