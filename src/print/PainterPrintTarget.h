#pragma once
// The plain listing on any paged device Qt paints on: a PDF file (QPdfWriter) or the system
// printer (QPrinter, which the screens hand in). Twips become device units with the exact factor
// of the device's resolution; a line's top edge is where the listing puts it, so the baseline
// sits one ascent lower.

#include "print/PrintTarget.h"

#include <QFont>
#include <QPainter>

class QPagedPaintDevice;

namespace vx {

class PainterPrintTarget : public PrintTarget {
public:
    explicit PainterPrintTarget(QPagedPaintDevice& device);
    ~PainterPrintTarget() override;

    void setUp(const PageSetUp& setUp) override;
    int lineAdvance() const override;
    int pageHeight() const override;
    void text(int x, int y, const QString& line) override;
    void endPage() override;
    bool endJob() override;

    // Device units per twip, horizontally and vertically.
    qreal scaleX() const;
    qreal scaleY() const;

private:
    bool ensureStarted();

    QPagedPaintDevice& m_device;
    QPainter m_painter;
    QFont m_font;
    bool m_started = false;
    bool m_failed = false;
    bool m_pageEnded = false;
    qreal m_ascent = 0;
    int m_lineAdvance = 0;
};

} // namespace vx
