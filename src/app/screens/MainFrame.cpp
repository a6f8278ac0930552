#include "app/screens/MainFrame.h"

#include "app/Messages.h"
#include "app/Startup.h"
#include "app/screens/MainScreen.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/StartTrace.h"
#include "store/Database.h"
#include "ui/Caption.h"
#include "ui/ScreenFit.h"
#include "ui/WaitCursor.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace vx {

MainFrame::MainFrame(Context& context, QWidget* parent) : QMainWindow(parent), m_ctx(context)
{
    setObjectName(QStringLiteral("MDI_Main"));
    setWindowTitle(msg::app::text(msg::app::Text::FrameCaption));

    statusBar()->setObjectName(QStringLiteral("StBar"));
    m_hint = new Caption(QString(), this);
    m_hint->setObjectName(QStringLiteral("StBarHint"));
    m_time = new Caption(QString(), this);
    m_time->setObjectName(QStringLiteral("StBarTime"));
    statusBar()->addWidget(m_hint, 1);
    statusBar()->addPermanentWidget(m_time);
    showTime();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &MainFrame::showTime);
    clock->start(15000);
    // 1024x720 where the screen has room, never beyond what it shows (a laptop at a scale of 1.5
    // or 2 has less), and centred on it.
    QSize size(1024, 720);
    if (const QScreen* s = screen()) {
        const QRect free = s->availableGeometry();
        // Room for the window manager's frame and title bar around the window.
        size = size.boundedTo(free.size() - QSize(16, 48));
        resize(size);
        move(free.center() - QPoint(size.width() / 2, size.height() / 2 + 16));
    } else {
        resize(size);
    }
}

void MainFrame::showTime()
{
    m_time->setText(m_ctx.clock.now().time().toString(QStringLiteral("hh:mm")));
}

bool MainFrame::loadMainScreen()
{
    if (m_main)
        return true;
    WaitCursor wait;
    m_main = new MainScreen(m_ctx, this);
    trace::step("main-screen");
    connect(m_main, &MainScreen::exitRequested, this, &MainFrame::close);
    connect(m_main, &MainScreen::hintChanged, m_hint, &QLabel::setText);
    // Loaded, then shown: it is laid out once, with the selected Request in its header.
    if (!m_main->load())
        return false;
    trace::step("main-screen-loaded");
    // The frame holds nothing but the main screen, which fills it as a maximized child window
    // without a title bar would; on a screen too small for it (a scaled desktop) it scrolls.
    setCentralWidget(scrollableContent(m_main, this));
    m_main->show();
    trace::step("main-screen-shown");
    // The maximized main screen's caption joins the frame's, as it does in any frame window.
    setWindowTitle(msg::app::frameCaptionWith(m_main->windowTitle()));
    return true;
}

bool MainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) {
        if (!m_activated) {
            startFirstActivation();
        } else if (m_main && !m_ended) {
            m_main->activation();
        }
    }
    return QMainWindow::event(event);
}

void MainFrame::startFirstActivation()
{
    if (m_activated)
        return;
    m_activated = true;
    Q_EMIT firstActivated();
    // It runs once the frame is up, outside the event that started it.
    QTimer::singleShot(0, this, [this] {
        if (!loadMainScreen())
            return;
        if (m_exitWhenReady) {
            closeOnceShown();
            return;
        }
        m_main->firstActivation();
    });
}

// Ready is the main screen painted in the frame: the frame closes right after that first paint.
void MainFrame::closeOnceShown()
{
    m_main->installEventFilter(this);
}

bool MainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_main && event->type() == QEvent::Paint) {
        m_main->removeEventFilter(this);
        trace::step("main-screen-painted");
        QTimer::singleShot(0, this, &MainFrame::close);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_ended) {
        m_ended = true;
        trace::step("ready");
        orderlyEnd(m_ctx.state, m_ctx.db, m_ctx.control);
        trace::step("orderly-end");
    }
    event->accept();
}

} // namespace vx
