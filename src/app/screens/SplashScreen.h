#pragma once
// The window shown while the program starts: the product and its version.

#include <QWidget>

namespace vx {

class SplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit SplashScreen(QWidget* parent = nullptr);
    static QString versionText();

protected:
    // Closed, it gives back its window and the pixels behind it (the frame's load follows).
    void closeEvent(QCloseEvent* event) override;
};

} // namespace vx
