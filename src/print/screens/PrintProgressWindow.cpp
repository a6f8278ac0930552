#include "print/screens/PrintProgressWindow.h"

#include "core/Messages.h"
#include "print/Messages.h"
#include "print/PrintSession.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace vx {

PrintProgressWindow::PrintProgressWindow(Context& context, PrintSession& session, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_session(session)
{
    setObjectName(QStringLiteral("ViewStam"));
    setWindowTitle(msg::print::text(msg::print::Text::ProgressCaption));
    auto* title = new QLabel(msg::print::compiling(printTypeText(m_session.printType())), this);
    title->setObjectName(QStringLiteral("Label4"));
    m_pageCaption = new QLabel(msg::print::text(msg::print::Text::DocumentNumberCaption), this);
    m_pageCaption->setObjectName(QStringLiteral("lblPagina"));
    m_page = new QLabel(QStringLiteral("1"), this);
    m_page->setObjectName(QStringLiteral("lblPag"));
    auto* cancel = new QPushButton(msg::core::text(msg::core::Text::CancelCaption), this);
    cancel->setObjectName(QStringLiteral("cmAnnStamp"));
    connect(cancel, &QPushButton::clicked, this, &PrintProgressWindow::stop);

    auto* pageRow = new QHBoxLayout;
    pageRow->addWidget(m_pageCaption);
    pageRow->addWidget(m_page, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(pageRow);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    resize(380, 120);
}

void PrintProgressWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(0, this, &PrintProgressWindow::run);
}

void PrintProgressWindow::run()
{
    m_written = m_session.run([this](int) {
        if (m_pageCaption->isVisible()) {
            m_pageCaption->hide();
            m_page->setAlignment(Qt::AlignCenter);
            m_page->setText(msg::print::text(msg::print::Text::MakingPdf));
        }
        // The cancel button acts while the document is made.
        QApplication::processEvents();
        return !m_stopped;
    });
    QDialog::done(m_written ? QDialog::Accepted : QDialog::Rejected);
}

} // namespace vx
