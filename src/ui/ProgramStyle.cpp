#include "ui/ProgramStyle.h"

#include <QGroupBox>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace vx {

namespace {
class ProgramStyle : public QProxyStyle {
public:
    // The group box's frame as the platform style draws it (a faint rounded outline over a faint
    // shade), drawn here: the platform style reads it from an image, decoded at every start.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        if (element != PE_FrameGroupBox || !option) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        constexpr int kTopMargin = 3;
        int top = kTopMargin;
        const auto* box = qobject_cast<const QGroupBox*>(widget);
        if (!box || box->isCheckable() || !box->title().isEmpty())
            top += qMax(pixelMetric(PM_ExclusiveIndicatorHeight, option, widget), option->fontMetrics.height());
        // Pixel by pixel, without antialiasing, which is many times slower over the box's area: an
        // outline, a shade one pixel inside it, a fainter shade within, and softened corners.
        const QRect o = option->rect.adjusted(1, top + 1, 0, 0);
        if (o.width() < 8 || o.height() < 8) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->fillRect(o.adjusted(2, 2, -2, -2), QColor(0, 0, 0, 3));
        const QColor outline(117, 117, 117, 50);
        const QColor shade(0, 0, 0, 7);
        painter->fillRect(QRect(o.left() + 3, o.top(), o.width() - 6, 1), outline);
        painter->fillRect(QRect(o.left() + 3, o.bottom(), o.width() - 6, 1), outline);
        painter->fillRect(QRect(o.left(), o.top() + 3, 1, o.height() - 6), outline);
        painter->fillRect(QRect(o.right(), o.top() + 3, 1, o.height() - 6), outline);
        painter->fillRect(QRect(o.left() + 4, o.top() + 1, o.width() - 8, 1), shade);
        painter->fillRect(QRect(o.left() + 4, o.bottom() - 1, o.width() - 8, 1), shade);
        painter->fillRect(QRect(o.left() + 1, o.top() + 4, 1, o.height() - 8), shade);
        painter->fillRect(QRect(o.right() - 1, o.top() + 4, 1, o.height() - 8), shade);
        // Each corner, from the corner inwards, mirrored at the four of them.
        struct Dot {
            int dx;
            int dy;
            QColor color;
        };
        static const Dot corner[] = {
            {0, 0, {39, 39, 39, 13}},    {1, 0, {93, 93, 93, 52}},    {0, 1, {98, 98, 98, 57}},
            {2, 0, {108, 108, 108, 52}}, {0, 2, {108, 108, 108, 52}}, {1, 1, {90, 90, 90, 31}},
            {2, 1, {0, 0, 0, 10}},       {1, 2, {0, 0, 0, 9}},        {3, 1, {0, 0, 0, 8}},
            {1, 3, {0, 0, 0, 8}},
        };
        for (const Dot& d : corner) {
            for (const QPoint& p :
                 {QPoint(o.left() + d.dx, o.top() + d.dy), QPoint(o.right() - d.dx, o.top() + d.dy),
                  QPoint(o.left() + d.dx, o.bottom() - d.dy), QPoint(o.right() - d.dx, o.bottom() - d.dy)})
                painter->fillRect(QRect(p, QSize(1, 1)), d.color);
        }
        painter->restore();
    }
};
} // namespace

QStyle* programStyle()
{
    return new ProgramStyle;
}

} // namespace vx
