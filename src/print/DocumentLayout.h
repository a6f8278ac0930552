#pragma once
// The layout of the Request document: the merged template cut at its persons' table into the
// header of the first page (above the table), the closing block (after the table, once, after the
// last row) and the footer of every page (the template's last paragraph); the table's heading
// rows, columns, fonts, padding and borders as the template gives them; and each row laid out
// for the device, so that the painter knows its height before it decides on the page.

#include <QBrush>
#include <QFont>
#include <QFontMetricsF>
#include <QList>
#include <QStringList>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextLength>

#include <memory>
#include <vector>

class QPaintDevice;

namespace vx {

struct TemplateCell {
    QString text;
    QFont font;
    Qt::Alignment alignment;
    QBrush background;
};

struct TemplateTable {
    static constexpr int kColumns = 9;
    static inline const QString kStartMark = QStringLiteral("StartDE");

    QList<QList<TemplateCell>> headingRows;
    QList<TemplateCell> dataCells; // font and alignment of each column of a person's row
    QList<QTextLength> widths;     // always kColumns of them
    QTextLength tableWidth;
    qreal border = 0;
    qreal padding = 0;
    QBrush borderBrush;
};

struct TemplateParts {
    std::unique_ptr<QTextDocument> header;
    std::unique_ptr<QTextDocument> closing; // null when the template has none
    std::unique_ptr<QTextDocument> footer;
    TemplateTable table;
};

// Cuts `merged` at the nine-column table whose first column holds "StartDE". False, with `error`
// set, when there is no such table.
bool cutTemplate(const QTextDocument& merged, TemplateParts& parts, QString* error);

// A row of cells laid out for a device: its height, and the layouts of the cells that wrap
// (null where one line is enough and the text is drawn as it is).
struct LaidRow {
    qreal height = 0;
    std::vector<std::unique_ptr<QTextLayout>> layouts;
};

// The cells of a row as the device draws them.
struct RowStyle {
    QList<QFont> fonts;
    QList<QFontMetricsF> metrics;
    QList<Qt::Alignment> alignments;
    QList<QBrush> backgrounds; // empty: none

    RowStyle(const QList<TemplateCell>& cells, QPaintDevice* device);
};

// The table's columns on a page of `pageWidth` device units.
class TableGeometry {
public:
    TableGeometry(const TemplateTable& table, qreal pageWidth, qreal pixel);

    // The left edge of each column, and the right edge of the table last.
    const QList<qreal>& edges() const { return m_left; }
    qreal padding() const { return m_padding; }
    qreal border() const { return m_border; }
    qreal innerWidth(int column) const { return m_left[column + 1] - m_left[column] - 2 * m_padding; }

    LaidRow layOut(const QStringList& texts, const RowStyle& style, QPaintDevice* device) const;

private:
    QList<qreal> m_left;
    qreal m_padding = 0;
    qreal m_border = 0;
};

} // namespace vx
