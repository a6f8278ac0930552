#pragma once
// A push button with the object name its screen's tests and hints know it by.

#include <QPushButton>
#include <QString>

namespace vx {

inline QPushButton* namedButton(QWidget* parent, const char* name, const QString& text, const QString& hint = QString())
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

} // namespace vx
