// The reference for the start-up figure: a bare Qt window program that shows its main window,
// lets it paint once and leaves, as the program leaves once its main screen is painted. With
// --etichetta the window shows one line of text in its status bar: what loading, laying out and
// drawing a font adds, printed beside the reference.

#include "core/StartTrace.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

namespace {
// Closes the window once its content has been painted the first time.
class CloseAfterPaint : public QObject {
public:
    explicit CloseAfterPaint(QMainWindow& window) : m_window(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            vx::trace::step("painted");
            QTimer::singleShot(0, &m_window, [this] {
                vx::trace::step("ready");
                m_window.close();
            });
        }
        return false;
    }

private:
    QMainWindow& m_window;
};
} // namespace

int main(int argc, char* argv[])
{
    vx::trace::step("main");
    QApplication app(argc, argv);
    vx::trace::step("qapplication");
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Finestra di riferimento"));
    // As the program's frame, which holds its main screen.
    auto* area = new QWidget(&window);
    window.setCentralWidget(area);
    CloseAfterPaint closer(window);
    area->installEventFilter(&closer);
    if (app.arguments().contains(QStringLiteral("--etichetta")))
        window.statusBar()->addWidget(new QLabel(QStringLiteral("Pronto"), &window));
    window.resize(1024, 720);
    window.show();
    const int status = app.exec();
    vx::trace::step("end");
    return status;
}
