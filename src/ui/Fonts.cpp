#include "ui/Fonts.h"

#include <QApplication>

namespace vx {

void useScreenFont()
{
    QFont font = QApplication::font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    QApplication::setFont(font, "QWidget");
}

} // namespace vx
