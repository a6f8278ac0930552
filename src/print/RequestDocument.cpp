#include "print/RequestDocument.h"

#include "print/Messages.h"

#include "Version.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>

#include <utility>

namespace vx {

RequestDocument::RequestDocument() = default;
RequestDocument::~RequestDocument() = default;

bool RequestDocument::merge(const QString& templateHtml, const HeaderValues& values, int documentNumber, QString* error)
{
    m_pageLayout = pageLayoutOf(templateHtml);
    m_merged = std::make_unique<QTextDocument>();
    m_merged->setDocumentMargin(0);
    m_merged->setHtml(placeholdersAsText(templateHtml));
    fillHeader(*m_merged, values);
    if (!cutTemplate(*m_merged, m_parts, error))
        return false;

    // The document number at the end of the footer's first line, centred.
    QTextCursor footer(m_parts.footer.get());
    footer.movePosition(QTextCursor::Start);
    footer.movePosition(QTextCursor::EndOfBlock);
    QTextBlockFormat centred = footer.blockFormat();
    centred.setAlignment(Qt::AlignHCenter);
    footer.setBlockFormat(centred);
    footer.insertText(QString::number(documentNumber));
    return true;
}

bool RequestDocument::paint(QPagedPaintDevice& device, const QList<QStringList>& rows,
                            const std::function<bool(int)>& progress)
{
    Q_ASSERT(m_parts.header && m_parts.footer); // merged
    m_pages = 0;
    const TemplateTable& table = m_parts.table;
    // Lengths in the template are CSS pixels (1/96 inch); the device has its own resolution.
    const QRectF page(QPointF(0, 0), QSizeF(device.width(), device.height()));
    for (QTextDocument* doc : {m_parts.header.get(), m_parts.closing.get(), m_parts.footer.get()}) {
        if (!doc)
            continue;
        doc->documentLayout()->setPaintDevice(&device);
        doc->setTextWidth(page.width());
    }
    const qreal bodyBottom = page.height() - m_parts.footer->size().height();
    const TableGeometry geometry(table, page.width(), device.logicalDpiY() / 96.0);
    const QList<qreal>& edges = geometry.edges();
    const RowStyle dataStyle(table.dataCells, &device);

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPen gridPen(table.borderBrush, geometry.border());

    auto stop = [&]() {
        painter.end();
        return false;
    };

    QVector<QLineF> grid;
    auto drawRow = [&](qreal top, const LaidRow& laid, const QStringList& texts, const RowStyle& style,
                       bool backgrounds) {
        for (int col = 0; col < TemplateTable::kColumns; ++col) {
            const qreal left = edges[col];
            const qreal right = edges[col + 1];
            if (backgrounds && style.backgrounds[col].style() != Qt::NoBrush)
                painter.fillRect(QRectF(left, top, right - left, laid.height), style.backgrounds[col]);
            const QPointF origin(left + geometry.padding(), top + geometry.padding() + geometry.border() / 2);
            if (QTextLayout* layout = laid.layouts[col].get()) {
                layout->draw(&painter, origin);
                continue;
            }
            const QString& text = col < texts.size() ? texts[col] : QString();
            if (text.isEmpty())
                continue;
            qreal dx = 0;
            if (style.alignments[col] & (Qt::AlignRight | Qt::AlignHCenter)) {
                const qreal free = geometry.innerWidth(col) - style.metrics[col].horizontalAdvance(text);
                dx = style.alignments[col] & Qt::AlignRight ? free : free / 2;
            }
            painter.setFont(style.fonts[col]);
            painter.drawText(QPointF(origin.x() + dx, origin.y() + style.metrics[col].ascent()), text);
        }
        if (geometry.border() > 0) {
            const qreal bottom = top + laid.height;
            grid.append(QLineF(edges.first(), bottom, edges.last(), bottom));
            for (qreal edge : edges)
                grid.append(QLineF(edge, top, edge, bottom));
        }
    };

    // The heading rows, laid out once and painted at the top of the table on every page.
    struct Heading {
        QStringList texts;
        RowStyle style;
        LaidRow laid;
    };
    std::vector<Heading> headings;
    for (const QList<TemplateCell>& row : table.headingRows) {
        QStringList texts;
        for (const TemplateCell& c : row)
            texts.append(c.text);
        RowStyle style(row, &device);
        LaidRow laid = geometry.layOut(texts, style, &device);
        headings.push_back({texts, std::move(style), std::move(laid)});
    }

    // The line under the footer of every page: the Request (and whether the page is a draft's) on
    // the left, "Pagina N di M" on the right.
    const QFont markFont = m_parts.footer->defaultFont();
    const QFontMetricsF markMetrics(markFont, &device);
    const qreal markHeight = m_pageMark.isEmpty() ? 0 : markMetrics.height() * 1.5;
    const qreal bottom = bodyBottom - markHeight;

    // First the rows are laid out and placed: the pages are counted before the first is painted.
    // A row goes whole on the next page rather than split; one taller than a page stays alone.
    std::vector<LaidRow> laidRows;
    laidRows.reserve(rows.size());
    std::vector<int> pageOf; // the page (from 0) each row goes on
    pageOf.reserve(rows.size());
    const qreal headingHeight = [&] {
        qreal h = 0;
        for (const Heading& heading : headings)
            h += heading.laid.height;
        return h;
    }();
    int pages = 0;
    qreal y = m_parts.header->size().height() + headingHeight;
    int onPage = 0;
    for (int i = 0; i < rows.size(); ++i) {
        LaidRow laid = geometry.layOut(rows[i], dataStyle, &device);
        if (y + laid.height > bottom && onPage > 0) {
            ++pages;
            y = headingHeight;
            onPage = 0;
        }
        y += laid.height;
        ++onPage;
        pageOf.push_back(pages);
        laidRows.push_back(std::move(laid));
        if (progress && (i + 1) % 50 == 0 && !progress(i + 1))
            return stop();
    }
    const qreal gap = dataStyle.metrics.first().height();
    const bool closingApart = m_parts.closing && y + gap + m_parts.closing->size().height() > bottom && y > 0;
    const int pageCount = pages + 1 + (closingApart ? 1 : 0);

    auto startTable = [&](qreal top) {
        y = top;
        if (geometry.border() > 0)
            grid.append(QLineF(edges.first(), y, edges.last(), y));
        for (const Heading& h : headings) {
            drawRow(y, h.laid, h.texts, h.style, true);
            y += h.laid.height;
        }
    };
    auto endPage = [&]() {
        if (!grid.isEmpty()) {
            painter.setPen(gridPen);
            painter.drawLines(grid);
            grid.clear();
        }
        painter.save();
        painter.translate(0, bottom);
        m_parts.footer->drawContents(&painter);
        painter.restore();
        ++m_pages;
        if (!m_pageMark.isEmpty()) {
            painter.save();
            painter.setFont(markFont);
            painter.setPen(Qt::black);
            const QRectF line(0, page.height() - markMetrics.height(), page.width(), markMetrics.height());
            painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, m_pageMark);
            painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, msg::print::pageNumber(m_pages, pageCount));
            painter.restore();
        }
    };
    auto newPage = [&]() {
        endPage();
        return device.newPage();
    };

    m_parts.header->drawContents(&painter);
    startTable(m_parts.header->size().height());
    for (int i = 0; i < rows.size(); ++i) {
        if (i > 0 && pageOf[i] != pageOf[i - 1]) {
            if (!newPage())
                return stop();
            startTable(0);
        }
        drawRow(y, laidRows[i], rows[i], dataStyle, false);
        y += laidRows[i].height;
        // What is painted is no longer needed: a long Request keeps only the pages to come.
        laidRows[i] = LaidRow();
    }
    if (m_parts.closing) {
        // Some room under the table, and on a page of its own when it does not fit under it.
        if (closingApart) {
            if (!newPage())
                return stop();
            y = -gap;
        }
        painter.save();
        painter.translate(0, y + gap);
        m_parts.closing->drawContents(&painter);
        painter.restore();
    }
    endPage();
    if (progress && !progress(int(rows.size())))
        return stop();
    return painter.end();
}

bool writeRequestPdf(const QString& templatePath, const DocumentJob& job, const QString& pdfPath, QString* error,
                     const std::function<bool(int)>& progress)
{
    QFile file(templatePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = msg::print::templateUnreadable(QDir::toNativeSeparators(templatePath), file.errorString());
        return false;
    }
    const QString html = QString::fromUtf8(file.readAll());
    RequestDocument document;
    if (!document.merge(html,
                        headerValues(job.request, job.type, job.date, kVersionMajor, kVersionMinor, kVersionRevision),
                        job.documentNumber, error))
        return false;

    QList<QStringList> rows;
    rows.reserve(job.persons.size());
    for (const RolePerson& p : job.persons)
        rows.append(documentCells(p));

    document.setPageMark(msg::print::pageMark(job.request.number, job.type == PrintType::Draft));

    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        print::prepare(writer, msg::print::text(msg::print::Text::DocumentTitle));
        writer.setPageLayout(document.pageLayout());
        if (!document.paint(writer, rows, progress)) {
            if (error)
                *error = msg::print::text(msg::print::Text::PdfStopped);
            return false;
        }
    }
    return print::finish(pdfPath, bytes, msg::print::text(msg::print::Text::DocumentTitle), error);
}

} // namespace vx
