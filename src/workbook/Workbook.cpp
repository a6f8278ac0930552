#include "workbook/Workbook.h"

#include "workbook/ZipParts.h"

#include <QDate>
#include <QHash>

#include <cmath>

namespace vx::workbook {

namespace {

using Token = XmlTokens::Token;

// The namespaces of OpenDocument's parts that the reader looks into.
constexpr QLatin1StringView kOffice("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
constexpr QLatin1StringView kTable("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1StringView kText("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr QLatin1StringView kNone("");
// Office Open XML's relationships, as transitional and as strict files name them.
constexpr QLatin1StringView kRelationships("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
constexpr QLatin1StringView kStrictRelationships("http://purl.oclc.org/ooxml/officeDocument/relationships");

Cell textCell(const QString& text)
{
    return {Cell::Type::Text, text, 0};
}

// Whether a number format shows a date: a built-in date format, or a pattern with day or year
// letters outside quotes and brackets.
bool isDateFormat(int identifier, const QString& pattern)
{
    if (pattern.isEmpty())
        return (identifier >= 14 && identifier <= 17) || identifier == 22;
    bool quoted = false;
    bool bracket = false;
    for (QChar c : pattern) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('['))
            bracket = true;
        else if (!quoted && c == QLatin1Char(']'))
            bracket = false;
        else if (!quoted && !bracket && QStringLiteral("dDyY").contains(c))
            return true;
    }
    return false;
}

// A whole number in an attribute, within [0, limit]; -1 when it is none.
qint64 count(const QString& text, qint64 limit)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    return ok && n >= 0 && n <= limit ? n : -1;
}

// The column of a cell reference ("B12" is 1); -1 when it has no letters or is beyond XFD.
int columnOf(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
        if (column > 16384)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

class XlsxReader {
public:
    XlsxReader(const Limits& limits, Failure& failure) : m_limits(limits), m_failure(failure), m_sheet(limits.columns)
    {
    }

    Sheet read(const QString& path)
    {
        if (!m_zip.open(path, m_failure))
            return Sheet();
        const QString sheet = firstSheet();
        if (sheet.isEmpty() || !readStyles() || !readSharedStrings() || !readSheet(sheet))
            return Sheet();
        return std::move(m_sheet);
    }

private:
    bool unreadable()
    {
        fail(m_failure, Failure::Kind::Unreadable);
        return false;
    }
    bool tooLong()
    {
        fail(m_failure, Failure::Kind::TooLarge, Failure::What::CellText, m_limits.cellText);
        return false;
    }

    // The path of the workbook's first worksheet, by its relationship; its calendar on the way.
    QString firstSheet()
    {
        QString id;
        if (!m_zip.parse(
                QStringLiteral("xl/workbook.xml"), m_limits.partBytes,
                [&](XmlTokens& x, Token t) {
                    if (t != Token::StartElement)
                        return true;
                    if (x.localName() == QLatin1StringView("workbookPr")) {
                        const QString v = x.attribute(kNone, QLatin1StringView("date1904"));
                        m_epoch = v == QLatin1String("1") || v == QLatin1String("true") ? Epoch::Excel1904
                                                                                        : Epoch::Excel1900;
                    } else if (id.isEmpty() && x.localName() == QLatin1StringView("sheet")) {
                        id = x.attribute(kRelationships, QLatin1StringView("id"));
                        if (id.isEmpty())
                            id = x.attribute(kStrictRelationships, QLatin1StringView("id"));
                    }
                    return true;
                },
                m_failure))
            return QString();
        QString target;
        const QString rels = QStringLiteral("xl/_rels/workbook.xml.rels");
        if (!id.isEmpty() && m_zip.has(rels) &&
            !m_zip.parse(
                rels, m_limits.partBytes,
                [&](XmlTokens& x, Token t) {
                    if (t == Token::StartElement && x.localName() == QLatin1StringView("Relationship") &&
                        x.attribute(kNone, QLatin1StringView("Id")) == id)
                        target = x.attribute(kNone, QLatin1StringView("Target"));
                    return true;
                },
                m_failure))
            return QString();
        if (target.isEmpty())
            return QStringLiteral("xl/worksheets/sheet1.xml");
        return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
    }

    bool readStyles()
    {
        const QString name = QStringLiteral("xl/styles.xml");
        if (!m_zip.has(name))
            return true;
        QHash<int, bool> custom;
        bool inCellFormats = false;
        return m_zip.parse(
            name, m_limits.partBytes,
            [&](XmlTokens& x, Token t) {
                if (t == Token::StartElement && x.localName() == QLatin1StringView("numFmt")) {
                    const int id = x.attribute(kNone, QLatin1StringView("numFmtId")).toInt();
                    custom.insert(id, isDateFormat(id, x.attribute(kNone, QLatin1StringView("formatCode"))));
                } else if (x.localName() == QLatin1StringView("cellXfs") && t != Token::Text) {
                    inCellFormats = t == Token::StartElement;
                } else if (inCellFormats && t == Token::StartElement && x.localName() == QLatin1StringView("xf")) {
                    const int id = x.attribute(kNone, QLatin1StringView("numFmtId")).toInt();
                    m_dateStyles.append(custom.contains(id) ? custom.value(id) : isDateFormat(id, QString()));
                }
                return true;
            },
            m_failure);
    }

    // Each <si> is one string: the text of its runs, without the phonetic guide. An empty one
    // (<si><t/></si>) is an empty string of its own.
    bool readSharedStrings()
    {
        const QString name = QStringLiteral("xl/sharedStrings.xml");
        if (!m_zip.has(name))
            return true;
        QString current;
        bool inText = false;
        int phonetic = 0;
        return m_zip.parse(
            name, m_limits.sharedStringsBytes,
            [&](XmlTokens& x, Token t) {
                if (t == Token::StartElement) {
                    if (x.localName() == QLatin1StringView("si"))
                        current.clear();
                    else if (x.localName() == QLatin1StringView("rPh"))
                        ++phonetic;
                    else if (x.localName() == QLatin1StringView("t"))
                        inText = phonetic == 0;
                } else if (t == Token::EndElement) {
                    if (x.localName() == QLatin1StringView("si"))
                        m_strings.append(current);
                    else if (x.localName() == QLatin1StringView("rPh"))
                        --phonetic;
                    else if (x.localName() == QLatin1StringView("t"))
                        inText = false;
                } else if (t == Token::Text && inText) {
                    current += x.text();
                    if (current.size() > m_limits.cellText)
                        return tooLong();
                }
                return true;
            },
            m_failure);
    }

    bool readSheet(const QString& name)
    {
        int row = -1;
        int column = -1;
        QString type;
        int style = -1;
        QString value;
        QString inlineText;
        enum class In { None, Value, InlineText } in = In::None;
        bool inInline = false;
        bool hasValue = false;
        return m_zip.parse(
            name, m_limits.sheetBytes,
            [&](XmlTokens& x, Token t) {
                const QLatin1StringView n = x.localName();
                if (t == Token::StartElement) {
                    if (n == QLatin1StringView("row")) {
                        const QString r = x.attribute(kNone, QLatin1StringView("r"));
                        row = r.isEmpty() ? row + 1 : r.toInt() - 1;
                        column = -1;
                        if (row < 0)
                            return unreadable();
                    } else if (n == QLatin1StringView("c")) {
                        const QString r = x.attribute(kNone, QLatin1StringView("r"));
                        column = r.isEmpty() ? column + 1 : columnOf(r);
                        type = x.attribute(kNone, QLatin1StringView("t"));
                        const QString s = x.attribute(kNone, QLatin1StringView("s"));
                        style = s.isEmpty() ? -1 : s.toInt();
                        value.clear();
                        inlineText.clear();
                        hasValue = false;
                    } else if (n == QLatin1StringView("v")) {
                        in = In::Value;
                        hasValue = true;
                    } else if (n == QLatin1StringView("is")) {
                        inInline = true;
                    } else if (n == QLatin1StringView("t") && inInline) {
                        in = In::InlineText;
                    } else if (n == QLatin1StringView("rPh")) {
                        inInline = false; // a phonetic guide is no part of the text
                    }
                } else if (t == Token::EndElement) {
                    if (n == QLatin1StringView("v") || n == QLatin1StringView("t")) {
                        in = In::None;
                    } else if (n == QLatin1StringView("is")) {
                        inInline = false;
                    } else if (n == QLatin1StringView("c") && row >= 0 && column >= 0 &&
                               column < m_limits.columns) {
                        bool known = true;
                        const Cell cell = cellOf(type, style, value, hasValue, inlineText, known);
                        if (!known)
                            return unreadable();
                        if (!cell.isEmpty()) {
                            // Rows that only carry a format, however far down, hold no data.
                            if (row >= m_limits.rows) {
                                fail(m_failure, Failure::Kind::TooLarge, Failure::What::Rows, m_limits.rows - 1);
                                return false;
                            }
                            m_sheet.set(row, column, cell);
                        }
                    }
                } else if (t == Token::Text) {
                    QString& into = in == In::Value ? value : inlineText;
                    if (in != In::None) {
                        into += x.text();
                        if (into.size() > m_limits.cellText)
                            return tooLong();
                    }
                }
                return true;
            },
            m_failure);
    }

    // A cell as shown: a formula's cached value is in <v> like any other value. `known` false
    // when the cell names a shared string the workbook does not have.
    Cell cellOf(const QString& type, int style, const QString& value, bool hasValue, const QString& inlineText,
                bool& known) const
    {
        if (type == QLatin1String("s")) {
            // A reference without its value is an empty cell, as office programs read it.
            if (!hasValue)
                return {};
            bool number = false;
            const int index = value.toInt(&number);
            known = number && index >= 0 && index < m_strings.size();
            return known ? textCell(m_strings[index]) : Cell();
        }
        if (type == QLatin1String("inlineStr"))
            return textCell(inlineText);
        if (type == QLatin1String("d")) {
            const QDate d = QDate::fromString(value.left(10), Qt::ISODate);
            return d.isValid() ? Cell{Cell::Type::Date, d.toString(Qt::ISODate), 0} : textCell(value);
        }
        if (!type.isEmpty() && type != QLatin1String("n"))
            return textCell(value); // a formula's text, a truth value, an error code
        if (value.isEmpty())
            return {};
        bool number = false;
        const double v = value.toDouble(&number);
        if (!number)
            return textCell(value);
        const bool date = style >= 0 && style < m_dateStyles.size() && m_dateStyles[style];
        const QString day = date ? dateOfSerial(v, m_epoch) : QString();
        return day.isEmpty() ? Cell{Cell::Type::Number, QString(), v} : Cell{Cell::Type::Date, day, v};
    }

    const Limits& m_limits;
    Failure& m_failure;
    ZipParts m_zip;
    Epoch m_epoch = Epoch::Excel1900;
    QList<bool> m_dateStyles; // by cell format: whether it shows a date
    QStringList m_strings;
    Sheet m_sheet;
};

// An OpenDocument spreadsheet's first table, from content.xml. A cell is read by its value type:
// a number or a date by its value attribute, a text by its paragraphs; a formula's last computed
// value is in the same attributes. Repeated rows and columns are repeated here too, sharing their
// texts; the last rows and columns a program pads the table with are empty and cost nothing.
class OdsReader {
public:
    OdsReader(const Limits& limits, Failure& failure) : m_limits(limits), m_failure(failure), m_sheet(limits.columns)
    {
    }

    Sheet read(const QString& path)
    {
        // Everything the document holds is counted, so that no part unpacks beyond the limits.
        if (!m_zip.open(path, m_failure) || !m_zip.withinLimits(m_limits.sheetBytes, m_limits.sheetBytes, m_failure))
            return Sheet();
        if (!readContent())
            return Sheet();
        return std::move(m_sheet);
    }

private:
    bool unreadable()
    {
        fail(m_failure, Failure::Kind::Unreadable);
        return false;
    }
    bool tooLong()
    {
        fail(m_failure, Failure::Kind::TooLarge, Failure::What::CellText, m_limits.cellText);
        return false;
    }

    // The cell just ended, at `m_column`, repeated `m_columnsRepeated` times in the row.
    bool endCell()
    {
        Cell cell;
        if (m_valueType == QLatin1String("float") || m_valueType == QLatin1String("percentage") ||
            m_valueType == QLatin1String("currency")) {
            bool ok = false;
            const double v = m_value.toDouble(&ok);
            cell = ok ? Cell{Cell::Type::Number, QString(), v} : textCell(m_text);
        } else if (m_valueType == QLatin1String("date")) {
            const QDate d = QDate::fromString(m_value.left(10), Qt::ISODate);
            cell = d.isValid() ? Cell{Cell::Type::Date, d.toString(Qt::ISODate), 0} : textCell(m_text);
        } else if (!m_stringValue.isNull() && m_valueType == QLatin1String("string")) {
            cell = textCell(m_stringValue);
        } else {
            cell = textCell(m_text); // a text, a time or a truth value as the cell shows it
        }
        if (!cell.isEmpty()) {
            for (qint64 c = m_column; c < m_column + m_columnsRepeated && c < m_limits.columns; ++c)
                m_row.insert(int(c), cell);
        }
        m_column += m_columnsRepeated;
        return true;
    }

    // The row just ended, repeated `m_rowsRepeated` times.
    bool endRow()
    {
        if (!m_row.isEmpty()) {
            if (m_rowIndex + m_rowsRepeated > m_limits.rows) {
                fail(m_failure, Failure::Kind::TooLarge, Failure::What::Rows, m_limits.rows - 1);
                return false;
            }
            for (qint64 r = m_rowIndex; r < m_rowIndex + m_rowsRepeated; ++r) {
                for (auto it = m_row.cbegin(); it != m_row.cend(); ++it)
                    m_sheet.set(int(r), it.key(), it.value());
            }
            m_row.clear();
        }
        // Empty rows may be repeated to the sheet's end: they are counted, never made.
        m_rowIndex += m_rowsRepeated;
        return true;
    }

    bool addText(const QString& text)
    {
        m_text += text;
        return m_text.size() <= m_limits.cellText || tooLong();
    }

    bool readContent()
    {
        const qint64 maxRepeat = 1 << 24; // far beyond the 1,048,576 rows and 16,384 columns a sheet has
        return m_zip.parse(
            QStringLiteral("content.xml"), m_limits.sheetBytes,
            [&](XmlTokens& x, Token t) {
                if (m_tablesEnded)
                    return true;
                if (t == Token::StartElement) {
                    if (m_ignored > 0) {
                        ++m_ignored;
                        return true;
                    }
                    if (x.is(kTable, QLatin1StringView("table"))) {
                        ++m_tables;
                        return true;
                    }
                    if (m_tables != 1)
                        return true;
                    if (x.is(kTable, QLatin1StringView("table-row"))) {
                        const QString n = x.attribute(kTable, QLatin1StringView("number-rows-repeated"));
                        m_rowsRepeated = n.isEmpty() ? 1 : count(n, maxRepeat);
                        m_column = 0;
                        return m_rowsRepeated >= 1 || unreadable();
                    }
                    if (x.is(kTable, QLatin1StringView("table-cell")) ||
                        x.is(kTable, QLatin1StringView("covered-table-cell"))) {
                        const QString n = x.attribute(kTable, QLatin1StringView("number-columns-repeated"));
                        m_columnsRepeated = n.isEmpty() ? 1 : count(n, maxRepeat);
                        m_inCell = true;
                        m_paragraphs = 0;
                        m_text.clear();
                        m_valueType = x.attribute(kOffice, QLatin1StringView("value-type"));
                        m_value = m_valueType == QLatin1String("date")
                                      ? x.attribute(kOffice, QLatin1StringView("date-value"))
                                      : x.attribute(kOffice, QLatin1StringView("value"));
                        m_stringValue = x.hasAttribute(kOffice, QLatin1StringView("string-value"))
                                            ? x.attribute(kOffice, QLatin1StringView("string-value"))
                                            : QString();
                        return m_columnsRepeated >= 1 || unreadable();
                    }
                    if (!m_inCell)
                        return true;
                    // A cell's comment and drawings are no part of what it shows.
                    if (x.is(kOffice, QLatin1StringView("annotation")) || x.localName() == QLatin1StringView("frame")) {
                        m_ignored = 1;
                        return true;
                    }
                    if (x.is(kText, QLatin1StringView("p")) || x.is(kText, QLatin1StringView("h")))
                        return m_paragraphs++ == 0 || addText(QStringLiteral("\n"));
                    if (x.is(kText, QLatin1StringView("s"))) {
                        const QString n = x.attribute(kText, QLatin1StringView("c"));
                        const qint64 blanks = n.isEmpty() ? 1 : count(n, m_limits.cellText + 1);
                        if (blanks < 0)
                            return tooLong();
                        return addText(QString(blanks, QLatin1Char(' ')));
                    }
                    if (x.is(kText, QLatin1StringView("tab")))
                        return addText(QStringLiteral("\t"));
                    if (x.is(kText, QLatin1StringView("line-break")))
                        return addText(QStringLiteral("\n"));
                    return true;
                }
                if (t == Token::EndElement) {
                    if (m_ignored > 0) {
                        --m_ignored;
                        return true;
                    }
                    if (x.is(kTable, QLatin1StringView("table"))) {
                        m_tablesEnded = --m_tables == 0;
                        return true;
                    }
                    if (m_tables != 1)
                        return true;
                    if (x.is(kTable, QLatin1StringView("table-row")))
                        return endRow();
                    if (x.is(kTable, QLatin1StringView("table-cell")) ||
                        x.is(kTable, QLatin1StringView("covered-table-cell"))) {
                        m_inCell = false;
                        return endCell();
                    }
                    return true;
                }
                if (t == Token::Text && m_inCell && m_ignored == 0 && m_paragraphs > 0)
                    return addText(x.text());
                return true;
            },
            m_failure);
    }

    const Limits& m_limits;
    Failure& m_failure;
    ZipParts m_zip;
    Sheet m_sheet;
    int m_tables = 0; // the depth of tables: a table inside a cell is no row of the first
    bool m_tablesEnded = false;
    int m_ignored = 0; // depth inside what a cell holds but does not show
    qint64 m_rowIndex = 0;
    qint64 m_rowsRepeated = 1;
    qint64 m_column = 0;
    qint64 m_columnsRepeated = 1;
    QMap<int, Cell> m_row; // the cells of the current row that hold anything
    bool m_inCell = false;
    int m_paragraphs = 0;
    QString m_valueType;
    QString m_value;
    QString m_stringValue;
    QString m_text;
};

} // namespace

Cell Sheet::cell(int row, int column) const
{
    const auto it = m_rows.constFind(row);
    return it == m_rows.cend() || column < 0 || column >= it->size() ? Cell() : it->at(column);
}

void Sheet::set(int row, int column, const Cell& cell)
{
    if (column < 0 || column >= m_columns)
        return;
    QList<Cell>& cells = m_rows[row];
    if (cells.isEmpty())
        cells.resize(m_columns);
    cells[column] = cell;
}

Sheet readXlsx(const QString& path, const Limits& limits, Failure& failure)
{
    return XlsxReader(limits, failure).read(path);
}

Sheet readOds(const QString& path, const Limits& limits, Failure& failure)
{
    return OdsReader(limits, failure).read(path);
}

QString dateOfSerial(double serial, Epoch epoch)
{
    if (!std::isfinite(serial))
        return QString();
    const qint64 day = qint64(std::floor(serial));
    QDate date;
    switch (epoch) {
    case Epoch::Excel1900:
        if (day == 60)
            return QStringLiteral("1900-02-29");
        // Before the 29 February that never was, the count is one day behind the calendar's.
        date = day < 1 ? QDate() : (day < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30)).addDays(day);
        break;
    case Epoch::Excel1904:
        date = day < 0 ? QDate() : QDate(1904, 1, 1).addDays(day);
        break;
    case Epoch::OpenDocument:
        date = QDate(1899, 12, 30).addDays(day);
        break;
    }
    if (!date.isValid() || date.year() < 1900 || date.year() > 9999)
        return QString();
    return date.toString(Qt::ISODate);
}

} // namespace vx::workbook
