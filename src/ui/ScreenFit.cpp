#include "ui/ScreenFit.h"

#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QWidget>

namespace vx {

bool ScreenFit::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* window = static_cast<QWidget*>(watched);
        const Qt::WindowType type = window->windowType();
        if (window->isWindow() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet))
            fit(window);
    }
    return false;
}

void ScreenFit::fit(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    // Room for the frame the window manager draws around it.
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const int border = 2 * window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const QSize room(free.width() - border, free.height() - title - border);
    // Lists that size themselves to their longest entry give way first, so that the window can
    // be narrower than its longest entry.
    if (window->minimumSizeHint().width() > room.width()) {
        for (QComboBox* box : window->findChildren<QComboBox*>()) {
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(12);
        }
        if (window->layout())
            window->layout()->activate();
    }
    const QSize size = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (size != window->size())
        window->resize(size);

    QRect placed = window->geometry();
    // A dialog shows over the middle of its window the first time; later it is where the user put it.
    if (QWidget* parent = window->parentWidget(); parent && !window->property("vxPlaced").toBool()) {
        placed.moveCenter(parent->window()->geometry().center());
        window->setProperty("vxPlaced", true);
    }
    placed.moveLeft(qMax(free.left(), qMin(placed.left(), free.right() - placed.width() - border + 1)));
    placed.moveTop(qMax(free.top() + title, qMin(placed.top(), free.bottom() - placed.height() - border + 1)));
    if (placed.topLeft() != window->geometry().topLeft())
        window->move(placed.topLeft() - (window->geometry().topLeft() - window->pos()));
}

namespace {
class ContentScroll : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
    QSize minimumSizeHint() const override { return QSize(fontMetrics().height() * 12, fontMetrics().height() * 6); }
};
} // namespace

QWidget* scrollableContent(QWidget* content, QWidget* parent)
{
    auto* scroll = new ContentScroll(parent);
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // A control that takes the focus (Tab, a mnemonic, a screen reader) is scrolled into view.
    QObject::connect(qApp, &QApplication::focusChanged, scroll, [scroll](QWidget*, QWidget* now) {
        if (now && scroll->widget() && scroll->widget()->isAncestorOf(now))
            scroll->ensureWidgetVisible(now);
    });
    return scroll;
}

void keepWindowsOnScreen()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        app->installEventFilter(new ScreenFit(app));
}

} // namespace vx
