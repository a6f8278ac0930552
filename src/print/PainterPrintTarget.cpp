#include "print/PainterPrintTarget.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>

namespace vx {

namespace {
constexpr qreal kTwipsPerInch = 1440.0;
}

PainterPrintTarget::PainterPrintTarget(QPagedPaintDevice& device) : m_device(device)
{
    const QFontMetricsF metrics(m_font, &m_device);
    m_ascent = metrics.ascent();
    m_lineAdvance = qRound(metrics.height() / scaleY());
}

PainterPrintTarget::~PainterPrintTarget()
{
    if (m_painter.isActive())
        m_painter.end();
}

qreal PainterPrintTarget::scaleX() const
{
    return m_device.logicalDpiX() / kTwipsPerInch;
}

qreal PainterPrintTarget::scaleY() const
{
    return m_device.logicalDpiY() / kTwipsPerInch;
}

void PainterPrintTarget::setUp(const PageSetUp& setUp)
{
    // Before the first page the orientation shapes that page; later it shapes the next one.
    m_device.setPageOrientation(setUp.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    m_font = QFont(setUp.fontFamily, setUp.pointSize, setUp.bold ? QFont::Bold : QFont::Normal);
    // Wherever the named face is missing, a fixed-pitch one keeps the columns in line.
    m_font.setStyleHint(QFont::TypeWriter);
    m_font.setFixedPitch(true);
    const QFontMetricsF metrics(m_font, &m_device);
    m_ascent = metrics.ascent();
    m_lineAdvance = qRound(metrics.height() / scaleY());
    if (m_painter.isActive())
        m_painter.setFont(m_font);
}

int PainterPrintTarget::lineAdvance() const
{
    return m_lineAdvance;
}

int PainterPrintTarget::pageHeight() const
{
    return int(m_device.height() / scaleY());
}

bool PainterPrintTarget::ensureStarted()
{
    if (m_failed)
        return false;
    if (!m_started) {
        m_started = true;
        if (!m_painter.begin(&m_device)) {
            m_failed = true;
            return false;
        }
        m_painter.setFont(m_font);
    } else if (m_pageEnded) {
        if (!m_device.newPage()) {
            m_failed = true;
            return false;
        }
    }
    m_pageEnded = false;
    return true;
}

void PainterPrintTarget::text(int x, int y, const QString& line)
{
    if (!ensureStarted())
        return;
    m_painter.drawText(QPointF(x * scaleX(), y * scaleY() + m_ascent), line);
}

void PainterPrintTarget::endPage()
{
    // The new page is started by the next line, so that a job never ends on an empty page.
    m_pageEnded = true;
}

bool PainterPrintTarget::endJob()
{
    if (!m_started && !ensureStarted())
        return false;
    if (m_failed)
        return false;
    return m_painter.end();
}

} // namespace vx
