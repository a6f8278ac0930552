#include "print/DocumentLayout.h"

#include "print/Messages.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextOption>
#include <QTextTable>

#include <algorithm>

namespace vx {

namespace {

QString cellText(const QTextTableCell& cell)
{
    QTextCursor c = cell.firstCursorPosition();
    c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

TemplateCell cellOf(const QTextTableCell& cell, const QString& text)
{
    const QTextCursor first = cell.firstCursorPosition();
    TemplateCell c;
    c.text = text;
    c.font = first.charFormat().font(); // of the cell's first character
    c.alignment = first.blockFormat().alignment();
    c.background = cell.format().background();
    return c;
}

// `merged` with only the text from `from` to `to` kept.
std::unique_ptr<QTextDocument> part(const QTextDocument& merged, int from, int to)
{
    std::unique_ptr<QTextDocument> doc(merged.clone());
    QTextCursor cut(doc.get());
    cut.setPosition(to);
    cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    cut.setPosition(0);
    cut.setPosition(from, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    return doc;
}

} // namespace

bool cutTemplate(const QTextDocument& merged, TemplateParts& parts, QString* error)
{
    const QTextCursor mark = merged.find(TemplateTable::kStartMark, 0, QTextDocument::FindCaseSensitively);
    QTextTable* table = mark.isNull() ? nullptr : mark.currentTable();
    if (!table || table->columns() != TemplateTable::kColumns || table->cellAt(mark.position()).column() != 0) {
        if (error)
            *error = msg::print::text(msg::print::Text::TemplateWithoutTable);
        return false;
    }
    TemplateTable& t = parts.table;
    const int startRow = table->cellAt(mark.position()).row();
    const QTextTableFormat format = table->format();
    t.border = format.border();
    t.padding = format.cellPadding();
    t.borderBrush = format.borderBrush();
    if (t.borderBrush.style() == Qt::NoBrush)
        t.borderBrush = QBrush(Qt::black);
    t.tableWidth = format.width();
    t.widths = format.columnWidthConstraints();
    while (t.widths.size() < TemplateTable::kColumns)
        t.widths.append(QTextLength());
    t.widths.resize(TemplateTable::kColumns);

    t.headingRows.clear();
    for (int row = 0; row < startRow; ++row) {
        QList<TemplateCell> cells;
        for (int col = 0; col < TemplateTable::kColumns; ++col) {
            const QTextTableCell cell = table->cellAt(row, col);
            cells.append(cellOf(cell, cellText(cell)));
        }
        t.headingRows.append(cells);
    }
    t.dataCells.clear();
    for (int col = 0; col < TemplateTable::kColumns; ++col) {
        TemplateCell c = cellOf(table->cellAt(startRow, col), QString());
        // The persons are typed in Arial, at the size the template gives.
        c.font.setFamilies({QStringLiteral("Arial")});
        t.dataCells.append(c);
    }

    // Above the table: the header of the first page. The template's last paragraph: the footer of
    // every page. Between the two: the closing block, once after the last row.
    const int tableStart = table->firstPosition() - 1;
    int tableEnd = table->lastPosition() + 1;
    // A table is always followed by a block of its own; when the template goes on after it, that
    // empty block belongs to neither.
    const QTextBlock after = merged.findBlock(tableEnd);
    if (after.isValid() && after.text().isEmpty() && after.next().isValid())
        tableEnd = after.next().position();
    const QTextBlock last = merged.lastBlock();
    const int footerStart = std::max(tableEnd, last.position());
    const int end = merged.characterCount() - 1;
    parts.header = part(merged, 0, tableStart);
    parts.footer = part(merged, footerStart, end);
    parts.closing.reset();
    if (footerStart > tableEnd) {
        parts.closing = part(merged, tableEnd, footerStart - 1);
        if (parts.closing->toPlainText().trimmed().isEmpty())
            parts.closing.reset();
    }
    return true;
}

RowStyle::RowStyle(const QList<TemplateCell>& cells, QPaintDevice* device)
{
    for (const TemplateCell& c : cells) {
        fonts.append(QFont(c.font, device));
        metrics.append(QFontMetricsF(fonts.last(), device));
        alignments.append(c.alignment);
        backgrounds.append(c.background);
    }
}

TableGeometry::TableGeometry(const TemplateTable& table, qreal pageWidth, qreal pixel)
    : m_padding(table.padding * pixel), m_border(table.border * pixel)
{
    Q_ASSERT(table.widths.size() == TemplateTable::kColumns);
    qreal tableWidth = pageWidth;
    if (table.tableWidth.type() == QTextLength::PercentageLength)
        tableWidth = pageWidth * table.tableWidth.rawValue() / 100;
    else if (table.tableWidth.type() == QTextLength::FixedLength)
        tableWidth = std::min(pageWidth, table.tableWidth.rawValue() * pixel);
    // Fixed and percentage widths first; the columns without one share what is left.
    qreal taken = 0;
    int variable = 0;
    QList<qreal> widths;
    for (const QTextLength& w : table.widths) {
        qreal value = 0;
        if (w.type() == QTextLength::PercentageLength)
            value = tableWidth * w.rawValue() / 100;
        else if (w.type() == QTextLength::FixedLength)
            value = w.rawValue() * pixel;
        else
            ++variable;
        taken += value;
        widths.append(value);
    }
    const qreal share = variable > 0 ? std::max<qreal>(0, tableWidth - taken) / variable : 0;
    qreal x = 0;
    for (int col = 0; col < TemplateTable::kColumns; ++col) {
        m_left.append(x);
        x += table.widths[col].type() == QTextLength::VariableLength ? share : widths[col];
    }
    m_left.append(x);
}

LaidRow TableGeometry::layOut(const QStringList& texts, const RowStyle& style, QPaintDevice* device) const
{
    LaidRow laid;
    qreal tallest = 0;
    for (int col = 0; col < TemplateTable::kColumns; ++col) {
        const QString& text = col < texts.size() ? texts[col] : QString();
        const qreal inner = innerWidth(col);
        const QFontMetricsF& fm = style.metrics[col];
        if (!text.contains(QLatin1Char('\n')) && fm.horizontalAdvance(text) <= inner) {
            laid.layouts.push_back(nullptr);
            tallest = std::max(tallest, fm.height());
            continue;
        }
        auto layout = std::make_unique<QTextLayout>(text, style.fonts[col], device);
        QTextOption option(style.alignments[col]);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout->setTextOption(option);
        layout->beginLayout();
        qreal y = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(inner);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout->endLayout();
        tallest = std::max(tallest, y);
        laid.layouts.push_back(std::move(layout));
    }
    laid.height = tallest + 2 * m_padding + m_border;
    return laid;
}

} // namespace vx
