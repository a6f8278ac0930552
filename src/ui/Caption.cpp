#include "ui/Caption.h"

#include <QFontMetrics>
#include <QPicture>

namespace vx {

bool Caption::isPlainLine() const
{
    // An empty label takes the size of a character, as QLabel measures it.
    if (text().isEmpty())
        return false;
    const bool plain = textFormat() == Qt::PlainText || (textFormat() == Qt::AutoText && !Qt::mightBeRichText(text()));
    return plain && !wordWrap() && frameWidth() == 0 && margin() == 0 && indent() < 0 && !buddy() &&
           pixmap().isNull() && picture().isNull();
}

QSize Caption::sizeHint() const
{
    if (!isPlainLine())
        return QLabel::sizeHint();
    ensurePolished();
    const QString shown = text();
    const QMargins margins = contentsMargins();
    if (!m_size.isValid() || shown != m_text || font() != m_font || alignment() != m_alignment ||
        margins != m_margins) {
        // As QLabel measures it: centring is left out, so that no half pixel is rounded.
        const int flags = int(alignment()) & ~(Qt::AlignVCenter | Qt::AlignHCenter);
        const int width = 2000 - (margins.left() + margins.right());
        const QRect bounds = fontMetrics().boundingRect(0, 0, width, 2000, flags, shown);
        m_size = bounds.size() + QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
        m_text = shown;
        m_font = font();
        m_alignment = alignment();
        m_margins = margins;
    }
    return m_size.expandedTo(minimumSize());
}

QSize Caption::minimumSizeHint() const
{
    // On one line the smallest size is the size.
    return isPlainLine() ? sizeHint() : QLabel::minimumSizeHint();
}

} // namespace vx
