#pragma once
// The window shown while the program starts: the product and its version.

#include <QWidget>

namespace vx {

class SplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit SplashScreen(QWidget* parent = nullptr);
    static QString versionText();
};

} // namespace vx
