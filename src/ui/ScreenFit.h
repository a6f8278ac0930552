#pragma once
// Every window of the program on its screen: a window larger than the screen's free area (a
// scaled desktop, a small screen) is made to fit it, and a window is moved inside the free area;
// a dialog first shows centred on the window it belongs to. Installed once on the application,
// it looks at each window as it is shown.

#include <QObject>

class QRect;
class QWidget;

namespace vx {

class ScreenFit : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Fits `window` to its screen's free area as described above.
    static void fit(QWidget* window);
    // The same in the free area `free`.
    static void fit(QWidget* window, const QRect& free);
};

// Installs one ScreenFit on the application.
void keepWindowsOnScreen();

// A window's content that shows whole where the screen has room for it and scrolls where it has
// not (a small or scaled screen): its preferred size is its content's, its least a few lines.
QWidget* scrollableContent(QWidget* content, QWidget* parent);

} // namespace vx
