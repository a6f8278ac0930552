#include "ui/Pictures.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QStyleOption>

#include <functional>

namespace vx {

namespace {
using Drawing = std::function<void(QPainter&)>;

// An icon drawn by `draw` on a square of `unit` units, at the size asked for and only when asked:
// a window icon that is never shown, or a size that is never used, costs nothing.
class DrawnIcon : public QIconEngine {
public:
    DrawnIcon(qreal unit, Drawing draw) : m_unit(unit), m_draw(std::move(draw)) {}

    QIconEngine* clone() const override { return new DrawnIcon(m_unit, m_draw); }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(size.width(), size.height());
        return {side, side};
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize size = actualSize(rect.size(), mode, state);
        const QRect target(
            rect.topLeft() + QPoint((rect.width() - size.width()) / 2, (rect.height() - size.height()) / 2), size);
        painter->drawPixmap(target, pixmap(size * painter->device()->devicePixelRatio(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        const QSize side = actualSize(size, mode, state);
        const QString key = QStringLiteral("%1x%2/%3").arg(side.width()).arg(side.height()).arg(int(mode));
        if (const auto known = m_drawn.constFind(key); known != m_drawn.constEnd())
            return *known;
        QPixmap pixmap(side);
        pixmap.fill(Qt::transparent);
        if (!side.isEmpty()) {
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(side.width() / m_unit, side.height() / m_unit);
            m_draw(painter);
        }
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        m_drawn.insert(key, pixmap);
        return pixmap;
    }

private:
    qreal m_unit;
    Drawing m_draw;
    QHash<QString, QPixmap> m_drawn;
};

QIcon drawn(qreal unit, Drawing draw)
{
    return QIcon(new DrawnIcon(unit, std::move(draw)));
}
} // namespace

QIcon programIcon()
{
    return drawn(64, [](QPainter& p) {
        const QColor ink(0x2f, 0x5d, 0x8a);
        const QColor lines(0x7a, 0x94, 0xad);
        QPainterPath sheet;
        sheet.moveTo(14, 4);
        sheet.lineTo(40, 4);
        sheet.lineTo(52, 16);
        sheet.lineTo(52, 58);
        sheet.quadTo(52, 60, 50, 60);
        sheet.lineTo(14, 60);
        sheet.quadTo(12, 60, 12, 58);
        sheet.lineTo(12, 6);
        sheet.quadTo(12, 4, 14, 4);
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(0xf4, 0xf6, 0xf8));
        p.drawPath(sheet);
        p.setBrush(QColor(0xdb, 0xe5, 0xee));
        p.drawPolygon(QPolygonF{{40, 4}, {40, 16}, {52, 16}});
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(22, 24), 4, 4);
        p.drawChord(QRectF(15, 29, 14, 14), 0, 180 * 16);
        p.setBrush(lines);
        p.drawRoundedRect(QRectF(32, 21, 14, 3), 1.5, 1.5);
        p.drawRoundedRect(QRectF(32, 28, 10, 3), 1.5, 1.5);
        p.drawRoundedRect(QRectF(18, 42, 28, 3), 1.5, 1.5);
        p.setBrush(QColor(0x2e, 0x8b, 0x57));
        p.drawEllipse(QPointF(46, 50), 9, 9);
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF{{41.5, 50.5}, {44.5, 53.5}, {50.5, 47}});
    });
}

QIcon picture(Picture kind, const QPalette& palette)
{
    return drawn(24, [kind, palette](QPainter& p) {
        const QPen outline(palette.color(QPalette::Dark), 1);
        const QColor fill = palette.color(QPalette::Highlight);
        switch (kind) {
        case Picture::Command:
            p.setPen(outline);
            p.setBrush(fill);
            p.drawPolygon(QPolygonF{{3, 9}, {12, 9}, {12, 4}, {21, 12}, {12, 20}, {12, 15}, {3, 15}});
            break;
        case Picture::Update:
            p.setPen(QPen(fill, 3, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(4, 4, 16, 16), 90 * 16, 270 * 16);
            p.setPen(outline);
            p.setBrush(fill);
            p.drawPolygon(QPolygonF{{12, 0.5}, {18, 4}, {12, 7.5}});
            break;
        case Picture::UpdateStopped:
            p.setPen(outline);
            p.setBrush(QColor(200, 30, 30));
            p.drawEllipse(QRectF(3, 3, 18, 18));
            p.fillRect(QRectF(7, 10.5, 10, 3), Qt::white);
            break;
        }
    });
}

} // namespace vx
