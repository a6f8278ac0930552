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

namespace {
// The characters a list shows when it gives way to a window too wide for its screen.
constexpr int kGivenWayLength = 12;
} // namespace

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
    if (QScreen* screen = window->screen())
        fit(window, screen->availableGeometry());
}

void ScreenFit::fit(QWidget* window, const QRect& free)
{
    // Room for the frame the window manager draws around it.
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    const int border = 2 * window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const QSize room(free.width() - border, free.height() - title - border);
    // Lists that size themselves to their longest entry give way first, so that the window can
    // be narrower than its longest entry.
    if (window->minimumSizeHint().width() > room.width()) {
        for (QComboBox* box : window->findChildren<QComboBox*>()) {
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(kGivenWayLength);
            // Qt keeps the least width the list had for its entries; the window's layout takes this one.
            const int arrow = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
            box->setMinimumWidth(kGivenWayLength * box->fontMetrics().horizontalAdvance(QLatin1Char('X')) + 2 * arrow);
        }
        if (window->layout())
            window->layout()->activate();
    }
    QSize wanted = window->size();
    // Shown the first time, a window takes the size its content asks for where the screen has room
    // (Qt stops a window's first size at two thirds of the screen, which would make the options
    // scroll on a screen they fit).
    if (!window->property("vxSized").toBool()) {
        wanted = wanted.expandedTo(window->sizeHint());
        window->setProperty("vxSized", true);
    }
    const QSize size = wanted.boundedTo(room).expandedTo(window->minimumSize());
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
        // Room for a vertical scroll bar too, so that a window short of height scrolls one way only.
        const int frame = 2 * frameWidth();
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        return widget() ? widget()->sizeHint() + QSize(frame + bar, frame) : QScrollArea::sizeHint();
    }
    QSize minimumSizeHint() const override { return QSize(fontMetrics().height() * 12, fontMetrics().height() * 6); }
    // The content's size changes (a field made wider, a part shown) reach the window's layout,
    // which would otherwise keep the content's first size.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
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
