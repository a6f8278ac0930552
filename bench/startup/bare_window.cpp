// The reference for the start-up figure: a bare Qt window program that shows its main window,
// lets it paint once and leaves.

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Finestra di riferimento"));
    window.setCentralWidget(new QMdiArea(&window));
    window.resize(1024, 720);
    window.show();
    QTimer::singleShot(0, &window, &QMainWindow::close);
    return app.exec();
}
