// The reference for the start-up figure: a bare Qt window program that shows its main window,
// lets it paint once and leaves. With --etichetta the window shows one line of text in its status
// bar: what loading and laying out a font adds, printed beside the reference.

#include "core/StartTrace.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QStatusBar>
#include <QTimer>

int main(int argc, char* argv[])
{
    vx::trace::step("main");
    QApplication app(argc, argv);
    vx::trace::step("qapplication");
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Finestra di riferimento"));
    window.setCentralWidget(new QMdiArea(&window));
    if (app.arguments().contains(QStringLiteral("--etichetta")))
        window.statusBar()->addWidget(new QLabel(QStringLiteral("Pronto"), &window));
    window.resize(1024, 720);
    window.show();
    QTimer::singleShot(0, &window, [&window] {
        vx::trace::step("ready");
        window.close();
    });
    const int status = app.exec();
    vx::trace::step("end");
    return status;
}
