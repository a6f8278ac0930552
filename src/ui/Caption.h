#pragma once
// A label for a line of plain text. QLabel lays such a text out three times to size itself (for
// its size, its height on one line, its width when wrapped at nothing); a caption lays it out once,
// to the same size, and again only when its text, font, alignment or margins change. Any other
// label (empty, rich text, word wrap, a frame, an indent, a picture, a buddy) sizes itself as QLabel
// does.

#include <QLabel>

namespace vx {

class Caption : public QLabel {
public:
    explicit Caption(const QString& text = QString(), QWidget* parent = nullptr) : QLabel(text, parent) {}

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    bool isPlainLine() const;

    mutable QString m_text;
    mutable QFont m_font;
    mutable Qt::Alignment m_alignment;
    mutable QMargins m_margins;
    mutable QSize m_size;
};

} // namespace vx
