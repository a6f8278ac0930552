#include "print/RequestDocument.h"

#include "roles/RoleCodes.h"

#include "Version.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextTable>

#include <utility>

namespace vx {

HeaderValues headerValues(const PrintRequest& request, PrintType type, const QDate& date, int major, int minor,
                          int revision)
{
    HeaderValues v;
    v.numDoma = QString::number(request.number);
    v.data = date.toString(QStringLiteral("dd/MM/yyyy"));
    v.ver = QStringLiteral("(ver. %1.%2.%3)").arg(major).arg(minor).arg(revision);
    v.tipoStampa = printTypeText(type);
    v.numDoma2 = v.numDoma;
    v.operPres = request.group + QLatin1Char('-') + QString::number(request.operatorCode);
    return v;
}

bool SostituisciCampo(QTextDocument& doc, int& position, const QString& text, const QString& placeholder,
                      const QString& family, int pointSize, bool bold)
{
    // Letter case does not matter; the search goes on from the start once the end is reached.
    QTextCursor found = doc.find(placeholder, position);
    if (found.isNull())
        found = doc.find(placeholder, 0);
    if (found.isNull())
        return false;
    QTextCharFormat format = found.charFormat();
    format.setFontFamilies({family});
    format.setFontPointSize(pointSize);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(false);
    format.setTextOutline(QPen(Qt::NoPen));
    found.insertText(text, format);
    position = found.position();
    QTextCursor next = doc.find(placeholder, position);
    if (next.isNull())
        next = doc.find(placeholder, 0);
    if (!next.isNull())
        position = next.selectionStart();
    return true;
}

void fillHeader(QTextDocument& doc, const HeaderValues& v)
{
    const QString arial = QStringLiteral("Arial");
    int position = 0;
    SostituisciCampo(doc, position, v.numDoma, QStringLiteral("<NumDoma>"), arial, 10, true);
    SostituisciCampo(doc, position, v.data, QStringLiteral("<Data>"), arial, 10, false);
    SostituisciCampo(doc, position, v.ver, QStringLiteral("<ver>"), QStringLiteral("Times New Roman"), 10, false);
    SostituisciCampo(doc, position, v.tipoStampa, QStringLiteral("<TIPOSTAMPA>"), arial, 10, true);
    SostituisciCampo(doc, position, v.numDoma2, QStringLiteral("<NumDoma2>"), arial, 10, true);
    SostituisciCampo(doc, position, v.operPres, QStringLiteral("<OperPres>"), arial, 10, true);
}

QStringList documentCells(const PrintPerson& p)
{
    return {p.codFiscale,
            p.cognome,
            p.nome,
            p.gg + QLatin1Char('/') + p.mm + QLatin1Char('/') + p.aaaa,
            p.email,
            p.tel,
            p.gruppo + QLatin1Char('-') + p.codice,
            p.sede == QLatin1String("0") ? QString() : p.sede,
            roles::word(p.ruolo.toInt())};
}

QString requestPdfTitle()
{
    return QStringLiteral("Richiesta di Profilazione (VELTRANORPX)");
}

namespace {

// The page of the template's `@page` rule: "size: A4 landscape; margin: 12mm" (one margin for
// every side, or top right bottom left). A4 landscape with 15 mm margins where it says nothing.
QPageLayout pageLayoutOf(const QString& html)
{
    QPageSize size(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Landscape;
    QMarginsF margins(15, 15, 15, 15);
    static const QRegularExpression pageRe(QStringLiteral("@page\\s*\\{([^}]*)\\}"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression sizeRe(QStringLiteral("size\\s*:\\s*([a-z0-9]+)?\\s*(landscape|portrait)?"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression marginRe(QStringLiteral("margin\\s*:\\s*([0-9.\\smm]+)"),
                                             QRegularExpression::CaseInsensitiveOption);
    const auto page = pageRe.match(html);
    if (page.hasMatch()) {
        const QString rule = page.captured(1);
        const auto s = sizeRe.match(rule);
        if (s.hasMatch()) {
            const QString name = s.captured(1).toLower();
            if (name == QLatin1String("a3"))
                size = QPageSize(QPageSize::A3);
            else if (name == QLatin1String("a5"))
                size = QPageSize(QPageSize::A5);
            else if (name == QLatin1String("letter"))
                size = QPageSize(QPageSize::Letter);
            else if (name == QLatin1String("legal"))
                size = QPageSize(QPageSize::Legal);
            if (name == QLatin1String("portrait") ||
                s.captured(2).compare(QLatin1String("portrait"), Qt::CaseInsensitive) == 0)
                orientation = QPageLayout::Portrait;
        }
        const auto m = marginRe.match(rule);
        if (m.hasMatch()) {
            QList<qreal> mm;
            for (QString part : m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                part.remove(QStringLiteral("mm"));
                bool ok = false;
                const qreal value = part.toDouble(&ok);
                if (ok)
                    mm.append(value);
            }
            if (mm.size() == 1)
                margins = QMarginsF(mm[0], mm[0], mm[0], mm[0]);
            else if (mm.size() == 4)
                margins = QMarginsF(mm[3], mm[0], mm[1], mm[2]);
        }
    }
    return QPageLayout(size, orientation, margins, QPageLayout::Millimeter);
}

// An administrator who types a placeholder in a text editor writes "<NumDoma>" rather than
// "&lt;NumDoma&gt;"; read as HTML it would be an unknown tag and vanish, so it is taken as text.
QString placeholdersAsText(QString html)
{
    static const QRegularExpression tagRe(QStringLiteral("<(NumDoma2?|Data|ver|TIPOSTAMPA|OperPres)>"),
                                          QRegularExpression::CaseInsensitiveOption);
    return html.replace(tagRe, QStringLiteral("&lt;\\1&gt;"));
}

QString cellText(const QTextTableCell& cell)
{
    QTextCursor c = cell.firstCursorPosition();
    c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return c.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

} // namespace

RequestDocument::RequestDocument() = default;
RequestDocument::~RequestDocument() = default;

bool RequestDocument::merge(const QString& templateHtml, const HeaderValues& values, int documentNumber, QString* error)
{
    m_pageLayout = pageLayoutOf(templateHtml);
    m_merged = std::make_unique<QTextDocument>();
    m_merged->setDocumentMargin(0);
    m_merged->setHtml(placeholdersAsText(templateHtml));
    fillHeader(*m_merged, values);
    if (!readTable(error))
        return false;

    // The footer: what follows the table, with the document number at the end of its first line,
    // centred.
    QTextCursor footer(m_footer.get());
    footer.movePosition(QTextCursor::Start);
    footer.movePosition(QTextCursor::EndOfBlock);
    QTextBlockFormat centred = footer.blockFormat();
    centred.setAlignment(Qt::AlignHCenter);
    footer.setBlockFormat(centred);
    footer.insertText(QString::number(documentNumber));
    return true;
}

bool RequestDocument::readTable(QString* error)
{
    const QTextCursor mark = m_merged->find(kStartMark, 0, QTextDocument::FindCaseSensitively);
    QTextTable* table = mark.isNull() ? nullptr : mark.currentTable();
    if (!table || table->columns() != kColumns || table->cellAt(mark.position()).column() != 0) {
        if (error)
            *error = QStringLiteral("Il modello di stampa non contiene una tabella di nove colonne con la cella "
                                    "\"StartDE\" in prima colonna.");
        return false;
    }
    const int startRow = table->cellAt(mark.position()).row();
    const QTextTableFormat format = table->format();
    m_border = format.border();
    m_padding = format.cellPadding();
    m_borderBrush = format.borderBrush();
    if (m_borderBrush.style() == Qt::NoBrush)
        m_borderBrush = QBrush(Qt::black);
    m_tableWidth = format.width();
    m_widths = format.columnWidthConstraints();
    while (m_widths.size() < kColumns)
        m_widths.append(QTextLength());

    auto cellOf = [](const QTextTableCell& cell, const QString& text) {
        const QTextCursor first = cell.firstCursorPosition();
        Cell c;
        c.text = text;
        c.font = first.charFormat().font(); // of the cell's first character
        c.alignment = first.blockFormat().alignment();
        c.background = cell.format().background();
        return c;
    };
    m_headingRows.clear();
    for (int row = 0; row < startRow; ++row) {
        QList<Cell> cells;
        for (int col = 0; col < kColumns; ++col) {
            const QTextTableCell cell = table->cellAt(row, col);
            cells.append(cellOf(cell, cellText(cell)));
        }
        m_headingRows.append(cells);
    }
    m_dataCells.clear();
    for (int col = 0; col < kColumns; ++col) {
        Cell c = cellOf(table->cellAt(startRow, col), QString());
        // The persons are typed in Arial, at the size the template gives.
        c.font.setFamilies({QStringLiteral("Arial")});
        m_dataCells.append(c);
    }

    // Above the table: the header of the first page. After it: the footer of every page.
    const int tableStart = table->firstPosition() - 1;
    int tableEnd = table->lastPosition() + 1;
    // A table is always followed by a block of its own; when the template goes on after it, that
    // empty block is not part of the footer.
    const QTextBlock after = m_merged->findBlock(tableEnd);
    if (after.isValid() && after.text().isEmpty() && after.next().isValid())
        tableEnd = after.next().position();
    m_header.reset(m_merged->clone());
    QTextCursor cut(m_header.get());
    cut.setPosition(tableStart);
    cut.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    m_footer.reset(m_merged->clone());
    cut = QTextCursor(m_footer.get());
    cut.setPosition(0);
    cut.setPosition(tableEnd, QTextCursor::KeepAnchor);
    cut.removeSelectedText();
    return true;
}

struct RequestDocument::Style {
    QList<qreal> left;  // left edge of each column, and the right edge of the table last
    QList<QFont> fonts; // the data fonts, for the device
    QList<QFontMetricsF> metrics;
    qreal padding = 0;
    qreal border = 0;
};

bool RequestDocument::paint(QPagedPaintDevice& device, const QList<QStringList>& rows,
                            const std::function<bool(int)>& progress)
{
    m_pages = 0;
    // Lengths in the template are CSS pixels (1/96 inch); the device has its own resolution.
    const qreal px = device.logicalDpiY() / 96.0;
    const QRectF page(QPointF(0, 0), QSizeF(device.width(), device.height()));

    for (QTextDocument* doc : {m_header.get(), m_footer.get()}) {
        doc->documentLayout()->setPaintDevice(&device);
        doc->setTextWidth(page.width());
    }
    const qreal footerHeight = m_footer->size().height();
    const qreal bodyBottom = page.height() - footerHeight;

    Style style;
    style.padding = m_padding * px;
    style.border = m_border * px;
    qreal tableWidth = page.width();
    if (m_tableWidth.type() == QTextLength::PercentageLength)
        tableWidth = page.width() * m_tableWidth.rawValue() / 100;
    else if (m_tableWidth.type() == QTextLength::FixedLength)
        tableWidth = std::min(page.width(), m_tableWidth.rawValue() * px);
    qreal fixed = 0;
    int variable = 0;
    QList<qreal> widths;
    for (const QTextLength& w : std::as_const(m_widths)) {
        qreal value = 0;
        if (w.type() == QTextLength::PercentageLength)
            value = tableWidth * w.rawValue() / 100;
        else if (w.type() == QTextLength::FixedLength)
            value = w.rawValue() * px;
        else
            ++variable;
        fixed += value;
        widths.append(value);
    }
    const qreal share = variable > 0 ? std::max<qreal>(0, tableWidth - fixed) / variable : 0;
    qreal x = 0;
    for (int col = 0; col < kColumns; ++col) {
        style.left.append(x);
        x += m_widths[col].type() == QTextLength::VariableLength ? share : widths[col];
    }
    style.left.append(x);
    for (const Cell& c : std::as_const(m_dataCells)) {
        QFont f(c.font, &device);
        style.fonts.append(f);
        style.metrics.append(QFontMetricsF(f, &device));
    }

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPen gridPen(m_borderBrush, style.border);

    // One row of cells: the height it takes, and (when painting) its text, background and grid.
    struct Laid {
        qreal height = 0;
        QList<QTextLayout*> layouts; // null where one line is enough
    };
    auto layOut = [&](const QStringList& texts, const QList<QFont>& fonts, const QList<QFontMetricsF>& metrics,
                      const QList<Qt::Alignment>& alignments, std::vector<std::unique_ptr<QTextLayout>>& owned) {
        Laid laid;
        qreal tallest = 0;
        for (int col = 0; col < kColumns; ++col) {
            const QString& text = col < texts.size() ? texts[col] : QString();
            const qreal inner = style.left[col + 1] - style.left[col] - 2 * style.padding;
            const QFontMetricsF& fm = metrics[col];
            if (!text.contains(QLatin1Char('\n')) && fm.horizontalAdvance(text) <= inner) {
                laid.layouts.append(nullptr);
                tallest = std::max(tallest, fm.height());
                continue;
            }
            auto layout = std::make_unique<QTextLayout>(text, fonts[col], &device);
            QTextOption option(alignments[col]);
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
            laid.layouts.append(layout.get());
            owned.push_back(std::move(layout));
        }
        laid.height = tallest + 2 * style.padding + style.border;
        return laid;
    };
    QVector<QLineF> grid;
    auto drawRow = [&](qreal top, const Laid& laid, const QStringList& texts, const QList<QFont>& fonts,
                       const QList<QFontMetricsF>& metrics, const QList<Qt::Alignment>& alignments,
                       const QList<QBrush>* backgrounds) {
        for (int col = 0; col < kColumns; ++col) {
            const qreal left = style.left[col];
            const qreal right = style.left[col + 1];
            if (backgrounds && (*backgrounds)[col].style() != Qt::NoBrush)
                painter.fillRect(QRectF(left, top, right - left, laid.height), (*backgrounds)[col]);
            const qreal inner = right - left - 2 * style.padding;
            const QPointF origin(left + style.padding, top + style.padding + style.border / 2);
            if (QTextLayout* layout = laid.layouts[col]) {
                layout->draw(&painter, origin);
                continue;
            }
            const QString& text = col < texts.size() ? texts[col] : QString();
            if (text.isEmpty())
                continue;
            qreal dx = 0;
            if (alignments[col] & (Qt::AlignRight | Qt::AlignHCenter)) {
                const qreal free = inner - metrics[col].horizontalAdvance(text);
                dx = alignments[col] & Qt::AlignRight ? free : free / 2;
            }
            painter.setFont(fonts[col]);
            painter.drawText(QPointF(origin.x() + dx, origin.y() + metrics[col].ascent()), text);
        }
        if (style.border > 0) {
            const qreal bottom = top + laid.height;
            grid.append(QLineF(style.left.first(), bottom, style.left.last(), bottom));
            for (qreal edge : std::as_const(style.left))
                grid.append(QLineF(edge, top, edge, bottom));
        }
    };

    // The heading rows, prepared once and painted at the top of the table on every page.
    struct Heading {
        QStringList texts;
        QList<QFont> fonts;
        QList<QFontMetricsF> metrics;
        QList<Qt::Alignment> alignments;
        QList<QBrush> backgrounds;
        Laid laid;
    };
    std::vector<std::unique_ptr<QTextLayout>> headingLayouts;
    QList<Heading> headings;
    for (const QList<Cell>& row : std::as_const(m_headingRows)) {
        Heading h;
        for (const Cell& c : row) {
            h.texts.append(c.text);
            h.fonts.append(QFont(c.font, &device));
            h.metrics.append(QFontMetricsF(h.fonts.last(), &device));
            h.alignments.append(c.alignment);
            h.backgrounds.append(c.background);
        }
        h.laid = layOut(h.texts, h.fonts, h.metrics, h.alignments, headingLayouts);
        headings.append(h);
    }
    QList<Qt::Alignment> dataAlignments;
    for (const Cell& c : std::as_const(m_dataCells))
        dataAlignments.append(c.alignment);

    qreal y = 0;
    auto startTable = [&](qreal top) {
        y = top;
        if (style.border > 0)
            grid.append(QLineF(style.left.first(), y, style.left.last(), y));
        for (const Heading& h : std::as_const(headings)) {
            drawRow(y, h.laid, h.texts, h.fonts, h.metrics, h.alignments, &h.backgrounds);
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
        painter.translate(0, bodyBottom);
        m_footer->drawContents(&painter);
        painter.restore();
        ++m_pages;
    };

    m_header->drawContents(&painter);
    startTable(m_header->size().height());
    int onPage = 0;
    for (int i = 0; i < rows.size(); ++i) {
        std::vector<std::unique_ptr<QTextLayout>> owned;
        const Laid laid = layOut(rows[i], style.fonts, style.metrics, dataAlignments, owned);
        if (y + laid.height > bodyBottom && onPage > 0) {
            endPage();
            if (!device.newPage()) {
                painter.end();
                return false;
            }
            startTable(0);
            onPage = 0;
        }
        drawRow(y, laid, rows[i], style.fonts, style.metrics, dataAlignments, nullptr);
        y += laid.height;
        ++onPage;
        if (progress && (i + 1) % 50 == 0 && !progress(i + 1)) {
            painter.end();
            return false;
        }
    }
    endPage();
    if (progress && !progress(int(rows.size()))) {
        painter.end();
        return false;
    }
    return painter.end();
}

bool writeRequestPdf(const QString& templatePath, const DocumentJob& job, const QString& pdfPath, QString* error,
                     const std::function<bool(int)>& progress)
{
    QFile file(templatePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Impossibile leggere il modello di stampa %1:\n%2")
                         .arg(QDir::toNativeSeparators(templatePath), file.errorString());
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
    for (const PrintPerson& p : job.persons)
        rows.append(documentCells(p));

    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        pdf::prepare(writer, requestPdfTitle());
        writer.setPageLayout(document.pageLayout());
        if (!document.paint(writer, rows, progress)) {
            if (error)
                *error = QStringLiteral("Creazione del file PDF interrotta.");
            return false;
        }
    }
    if (!pdf::setDocumentInfo(bytes, requestPdfTitle())) {
        if (error)
            *error = QStringLiteral("Creazione del file PDF non riuscita.");
        return false;
    }
    return pdf::saveAtomically(pdfPath, bytes, error);
}

} // namespace vx
