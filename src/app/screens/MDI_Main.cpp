#include "app/screens/MDI_Main.h"

#include "app/AppState.h"
#include "app/Startup.h"
#include "app/screens/frmOpzioni.h"
#include "store/Database.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMenuBar>

namespace vx {

MDI_Main::MDI_Main(Context& context, QWidget* parent) : QMainWindow(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("MDI_Main"));
    setWindowTitle(kCaption);
    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_area);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* options = file->addAction(QStringLiteral("&Opzioni..."));
    options->setObjectName(QStringLiteral("actOpzioni"));
    connect(options, &QAction::triggered, this, &MDI_Main::openOptions);
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("&Esci"));
    quit->setObjectName(QStringLiteral("actEsci"));
    connect(quit, &QAction::triggered, this, &MDI_Main::close);
    resize(1024, 720);
}

void MDI_Main::openOptions()
{
    frmOpzioni options(m_ctx, this);
    options.exec();
}

bool MDI_Main::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && !m_activated) {
        m_activated = true;
        Q_EMIT firstActivated();
    }
    return QMainWindow::event(event);
}

void MDI_Main::closeEvent(QCloseEvent* event)
{
    if (!m_ended) {
        m_ended = true;
        orderlyEnd(m_ctx.state, m_ctx.db);
    }
    event->accept();
}

} // namespace vx
