#include "ui/Fonts.h"

#include <QApplication>

namespace vx {

void useScreenFont()
{
    QFont font = QApplication::font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setHintingPreference(QFont::PreferFullHinting);
    QApplication::setFont(font, "QWidget");
}

} // namespace vx
