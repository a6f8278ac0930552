// The workbook readers: the XML of a part as it arrives in pieces of any size, refused when it is
// not well-formed; the cells of .xlsx and .ods files as the office programs that wrote them show
// them; the limits of what is read.

#include "Workbooks.h"

#include "workbook/Workbook.h"
#include "workbook/XmlTokens.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vx::workbook;
using Token = XmlTokens::Token;

namespace {

constexpr QLatin1StringView kNs("urn:n");

// The tokens of `document` fed in pieces of `piece` bytes, one text however many pieces it came
// in: "<name{n:a}|b>" for an element with its attributes a (namespace urn:n) and b (none),
// "</name>", "[text]", "$" at the end, "!" for an error.
QString tokens(const QByteArray& document, qsizetype piece)
{
    XmlTokens x;
    QString out;
    qsizetype at = 0;
    for (;;) {
        switch (x.next()) {
        case Token::NeedMore:
            if (at == document.size()) {
                x.finish();
            } else {
                const qsizetype n = qMin(piece, document.size() - at);
                x.addData(document.constData() + at, n);
                at += n;
            }
            break;
        case Token::StartElement:
            out += QLatin1Char('<') + x.localName() + QLatin1Char('{') + x.attribute(kNs, QLatin1StringView("a")) +
                   QLatin1Char('|') + x.attribute(QLatin1StringView(""), QLatin1StringView("b")) +
                   QLatin1String("}>");
            break;
        case Token::EndElement:
            out += QLatin1String("</") + x.localName() + QLatin1Char('>');
            break;
        case Token::Text:
            if (out.endsWith(QLatin1Char(']')))
                out.insert(out.size() - 1, x.text());
            else
                out += QLatin1Char('[') + x.text() + QLatin1Char(']');
            break;
        case Token::EndDocument:
            return out + QLatin1Char('$');
        case Token::Error:
        case Token::Nothing:
            return out + QLatin1Char('!');
        }
    }
}

Limits smallLimits()
{
    return {1 << 20, 1 << 20, 1 << 20, 100, 10, 50};
}

QString cellText(const Cell& c)
{
    switch (c.type) {
    case Cell::Type::Empty:
        return QStringLiteral("-");
    case Cell::Type::Text:
        return QStringLiteral("t:") + c.text;
    case Cell::Type::Date:
        return QStringLiteral("d:") + c.text;
    case Cell::Type::Number:
        break;
    }
    return QStringLiteral("n:") + QString::number(c.number, 'g', 15);
}

QByteArray odsCell(const QByteArray& attributes, const QByteArray& content = QByteArray())
{
    return "<table:table-cell " + attributes + ">" + content + "</table:table-cell>";
}

} // namespace

class TstWorkbook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void xml_data();
    void xml();
    void xlsxCells_data();
    void xlsxCells();
    void odsCells_data();
    void odsCells();
    void limits_data();
    void limits();
    void serials();
};

void TstWorkbook::xml_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<QString>("expected");
    QTest::newRow("elements, attributes, entities, line ends")
        << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r xmlns:p=\"urn:n\"><c p:a=\"1\" b='x&amp;\r\ny'>"
                      "x&lt;y&#65;&#x42;\r\nz\rw</c><e/></r>")
        << "<r{|}><c{1|x& y}>[x<yAB\nz\nw]</c><e{|}></e></r>$";
    QTest::newRow("default namespace, prefix chosen by the program")
        << QByteArray("<r xmlns=\"urn:n\" xmlns:q=\"urn:n\"><q:c q:a=\"2\" a=\"3\"/></r>") << "<r{|}><c{2|}></c></r>$";
    QTest::newRow("byte-order mark, comments, instructions, CDATA")
        << QByteArray("\xEF\xBB\xBF<!-- a -- b --><r><?pi x > y?><![CDATA[<&>]]>\xC3\xA8<!-- <r> --></r> <?pi?>")
        << "<r{|}>[<&>\u00E8]</r>$";
    QTest::newRow("white space around the root") << QByteArray(" \r\n\t<r/>\n ") << "<r{|}></r>$";
    QTest::newRow("end of another element") << QByteArray("<r><a></b></r>") << "<r{|}><a{|}>!";
    QTest::newRow("not closed") << QByteArray("<r><a>text") << "<r{|}><a{|}>[text]!";
    QTest::newRow("two roots") << QByteArray("<r/><s/>") << "<r{|}></r>!";
    QTest::newRow("text outside the root") << QByteArray("x<r/>") << "!";
    QTest::newRow("document type (entities of its own)")
        << QByteArray("<!DOCTYPE r [<!ENTITY a \"aaaa\">]><r>&a;</r>") << "!";
    QTest::newRow("another encoding") << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r/>") << "!";
    QTest::newRow("unknown entity") << QByteArray("<r>&bogus;</r>") << "<r{|}>!";
    QTest::newRow("entity never closed") << QByteArray("<r>&amp and more</r>") << "<r{|}>!";
    QTest::newRow("control character") << QByteArray("<r>\x01a</r>") << "<r{|}>!";
    QTest::newRow("character reference to NUL") << QByteArray("<r>&#0;</r>") << "<r{|}>!";
    QTest::newRow("bytes that are no UTF-8") << QByteArray("<r>\xE8</r>") << "<r{|}>!";
    QTest::newRow("value without quotes") << QByteArray("<r b=x/>") << "!";
    QTest::newRow("prefix never declared") << QByteArray("<p:r/>") << "!";
    QTest::newRow("< inside a value") << QByteArray("<r b=\"<\"/>") << "!";
    QTest::newRow("comment never closed") << QByteArray("<r><!-- a </r>") << "<r{|}>!";
    QTest::newRow("empty") << QByteArray() << "!";
}

// Whatever the size of the pieces the inflater hands over, the same tokens.
void TstWorkbook::xml()
{
    QFETCH(QByteArray, document);
    QFETCH(QString, expected);
    for (const qsizetype piece : {qsizetype(1), qsizetype(2), qsizetype(7), document.size() + 1})
        QCOMPARE(tokens(document, piece), expected);
}

void TstWorkbook::xlsxCells_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<QByteArray>("strings");
    QTest::addColumn<QByteArray>("workbook");
    QTest::addColumn<QStringList>("row2"); // columns A to D of row 2
    const QByteArray strings = "<si><t>ROSSI</t></si><si><t/></si><si><r><t>MA</t></r><r><t>RIO</t></r>"
                               "<rPh><t>mario</t></rPh></si>";
    QTest::newRow("shared, empty shared, runs without the phonetic guide")
        << QByteArray("<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c><c r=\"B2\" t=\"s\"><v>1</v></c>"
                      "<c r=\"C2\" t=\"s\"><v>2</v></c></row>")
        << strings << QByteArray() << QStringList{"t:ROSSI", "-", "t:MARIO", "-"};
    // A reference without its value is an empty cell, not a broken workbook.
    QTest::newRow("shared string without its value")
        << QByteArray("<row r=\"2\"><c r=\"A2\" t=\"s\"/><c r=\"B2\" t=\"s\"><v>0</v></c></row>") << strings
        << QByteArray() << QStringList{"-", "t:ROSSI", "-", "-"};
    QTest::newRow("formulas by their last value, inline text, truth value")
        << QByteArray("<row r=\"2\"><c r=\"A2\" t=\"str\"><f>CONCAT(\"0\";\"11\")</f><v>011</v></c>"
                      "<c r=\"B2\"><f>1+1</f><v>2</v></c><c r=\"C2\" t=\"inlineStr\"><is><t>DE  LUCA</t></is></c>"
                      "<c r=\"D2\" t=\"b\"><v>1</v></c></row>")
        << QByteArray() << QByteArray() << QStringList{"t:011", "n:2", "t:DE  LUCA", "t:1"};
    QTest::newRow("dates by their format, a plain number stays one")
        << QByteArray("<row r=\"2\"><c r=\"A2\" s=\"1\"><v>31391</v></c><c r=\"B2\"><v>31391</v></c>"
                      "<c r=\"C2\" t=\"d\"><v>1985-12-10T00:00:00</v></c><c r=\"D2\" s=\"1\"><v>60</v></c></row>")
        << QByteArray() << QByteArray() << QStringList{"d:1985-12-10", "n:31391", "d:1985-12-10", "d:1900-02-29"};
    QTest::newRow("the 1904 calendar")
        << QByteArray("<row r=\"2\"><c r=\"A2\" s=\"1\"><v>29929</v></c><c r=\"B2\" s=\"1\"><v>0</v></c></row>")
        << QByteArray() << QByteArray("date1904=\"1\"") << QStringList{"d:1985-12-10", "d:1904-01-01", "-", "-"};
    QTest::newRow("cells without references, in order")
        << QByteArray("<row><c t=\"inlineStr\"><is><t>x</t></is></c></row><row><c><v>1</v></c><c><v>2</v></c></row>")
        << QByteArray() << QByteArray() << QStringList{"n:1", "n:2", "-", "-"};
}

void TstWorkbook::xlsxCells()
{
    QFETCH(QByteArray, sheet);
    QFETCH(QByteArray, strings);
    QFETCH(QByteArray, workbook);
    QFETCH(QStringList, row2);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.xlsx"));
    QVERIFY(vx::test::writeXlsx(path, sheet, strings, workbook));
    Failure failure;
    const Sheet read = readXlsx(path, smallLimits(), failure);
    QVERIFY(!failure);
    QStringList cells;
    for (int c = 0; c < 4; ++c)
        cells << cellText(read.cell(1, c));
    QCOMPARE(cells, row2);
}

void TstWorkbook::odsCells_data()
{
    QTest::addColumn<QByteArray>("rows");
    QTest::addColumn<QList<QStringList>>("expected"); // rows 1 to 3, columns A to D
    const QStringList empty{"-", "-", "-", "-"};
    // A formula is read by the value it last computed, whatever its type.
    QTest::newRow("formulas")
        << QByteArray("<table:table-row>" +
                      odsCell("table:formula=\"of:=&quot;RSS&quot;&amp;&quot;MRA&quot;\" office:value-type=\"string\" "
                              "calcext:value-type=\"string\"",
                              "<text:p>RSSMRA</text:p>") +
                      odsCell("table:formula=\"of:=1+1\" office:value-type=\"float\" office:value=\"2\"",
                              "<text:p>2</text:p>") +
                      odsCell("office:value-type=\"string\" office:string-value=\"0115550101\" "
                              "table:formula=\"of:=&quot;011&quot;&amp;&quot;5550101&quot;\"") +
                      "</table:table-row>")
        << QList<QStringList>{{"t:RSSMRA", "n:2", "t:0115550101", "-"}, empty, empty};
    QTest::newRow("blanks, tabs, line breaks, paragraphs")
        << QByteArray("<table:table-row>" +
                      odsCell("office:value-type=\"string\"", "<text:p>DE <text:s/>LUCA</text:p>") +
                      odsCell("office:value-type=\"string\"", "<text:p><text:s text:c=\"2\"/>X<text:tab/>Y</text:p>") +
                      odsCell("office:value-type=\"string\"",
                              "<text:p>A<text:line-break/>B</text:p><text:p><text:span>C</text:span></text:p>") +
                      "</table:table-row>")
        << QList<QStringList>{{"t:DE  LUCA", "t:  X\tY", "t:A\nB\nC", "-"}, empty, empty};
    QTest::newRow("a comment is no part of the cell")
        << QByteArray("<table:table-row>" +
                      odsCell("office:value-type=\"string\"",
                              "<office:annotation><text:p>nota</text:p></office:annotation><text:p>ROSSI</text:p>") +
                      "</table:table-row>")
        << QList<QStringList>{{"t:ROSSI", "-", "-", "-"}, empty, empty};
    QTest::newRow("repeated rows and columns")
        << QByteArray("<table:table-row table:number-rows-repeated=\"2\">" +
                      odsCell("table:number-columns-repeated=\"2\" office:value-type=\"string\"", "<text:p>X</text:p>") +
                      "<table:covered-table-cell/>" + odsCell("office:value-type=\"float\" office:value=\"7\"") +
                      "</table:table-row><table:table-row table:number-rows-repeated=\"1048573\">" +
                      odsCell("table:number-columns-repeated=\"1024\"") + "</table:table-row>")
        << QList<QStringList>{{"t:X", "t:X", "-", "n:7"}, {"t:X", "t:X", "-", "n:7"}, empty};
    QTest::newRow("dates, percentages, truth values")
        << QByteArray("<table:table-row>" +
                      odsCell("office:value-type=\"date\" office:date-value=\"1985-12-10\"",
                              "<text:p>10/12/85</text:p>") +
                      odsCell("office:value-type=\"date\" office:date-value=\"1985-12-10T08:30:00\"") +
                      odsCell("office:value-type=\"percentage\" office:value=\"0.5\"", "<text:p>50%</text:p>") +
                      odsCell("office:value-type=\"boolean\" office:boolean-value=\"true\"", "<text:p>VERO</text:p>") +
                      "</table:table-row>")
        << QList<QStringList>{{"d:1985-12-10", "d:1985-12-10", "n:0.5", "t:VERO"}, empty, empty};
    QTest::newRow("rows in groups and headers")
        << QByteArray("<table:table-header-rows><table:table-row>" + odsCell("", "<text:p>H</text:p>") +
                      "</table:table-row></table:table-header-rows><table:table-row-group><table:table-row>" +
                      odsCell("", "<text:p>R</text:p>") + "</table:table-row></table:table-row-group>")
        << QList<QStringList>{{"t:H", "-", "-", "-"}, {"t:R", "-", "-", "-"}, empty};
}

void TstWorkbook::odsCells()
{
    QFETCH(QByteArray, rows);
    QFETCH(QList<QStringList>, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ods"));
    // The second table's rows are never the first's.
    QVERIFY(vx::test::writeOds(path, rows, "<table:table-row>" + odsCell("", "<text:p>ALTRO</text:p>") +
                                               "</table:table-row>"));
    Failure failure;
    const Sheet read = readOds(path, smallLimits(), failure);
    QVERIFY(!failure);
    for (int r = 0; r < expected.size(); ++r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << cellText(read.cell(r, c));
        QCOMPARE(cells, expected[r]);
    }
}

void TstWorkbook::limits_data()
{
    QTest::addColumn<bool>("ods");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("what"); // Failure::What, or -1 when the file is read
    const QByteArray x50(50, 'x');
    const auto xlsxText = [](const QByteArray& text, int row = 1) {
        return "<row r=\"" + QByteArray::number(row) + "\"><c r=\"A" + QByteArray::number(row) +
               "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c></row>";
    };
    QTest::newRow("xlsx, a cell of the most characters") << false << xlsxText(x50) << -1;
    QTest::newRow("xlsx, one more") << false << xlsxText(x50 + 'x') << int(Failure::What::CellText);
    QTest::newRow("xlsx, the last row") << false << xlsxText("x", 100) << -1;
    QTest::newRow("xlsx, one row more") << false << xlsxText("x", 101) << int(Failure::What::Rows);
    QTest::newRow("xlsx, formats far down") << false << QByteArray("<row r=\"1000000\"><c r=\"A1000000\" s=\"1\"/></row>")
                                            << -1;
    QTest::newRow("ods, blanks of the most characters")
        << true << QByteArray("<table:table-row>" + odsCell("", "<text:p><text:s text:c=\"50\"/></text:p>") +
                              "</table:table-row>")
        << -1;
    QTest::newRow("ods, blanks beyond")
        << true
        << QByteArray("<table:table-row>" + odsCell("", "<text:p><text:s text:c=\"4000000000\"/></text:p>") +
                      "</table:table-row>")
        << int(Failure::What::CellText);
    QTest::newRow("ods, a row repeated to the last")
        << true << QByteArray("<table:table-row table:number-rows-repeated=\"100\">" + odsCell("", "<text:p>x</text:p>") +
                              "</table:table-row>")
        << -1;
    QTest::newRow("ods, one more")
        << true << QByteArray("<table:table-row table:number-rows-repeated=\"101\">" + odsCell("", "<text:p>x</text:p>") +
                              "</table:table-row>")
        << int(Failure::What::Rows);
    QTest::newRow("ods, a repeat that is no number")
        << true << QByteArray("<table:table-row table:number-rows-repeated=\"-1\"></table:table-row>") << -2;
}

void TstWorkbook::limits()
{
    QFETCH(bool, ods);
    QFETCH(QByteArray, content);
    QFETCH(int, what);
    QTemporaryDir dir;
    const QString path = dir.filePath(ods ? QStringLiteral("a.ods") : QStringLiteral("a.xlsx"));
    QVERIFY(ods ? vx::test::writeOds(path, content) : vx::test::writeXlsx(path, content));
    Failure failure;
    ods ? readOds(path, smallLimits(), failure) : readXlsx(path, smallLimits(), failure);
    if (what == -1) {
        QVERIFY(!failure);
    } else if (what == -2) {
        QCOMPARE(failure.kind, Failure::Kind::Unreadable);
    } else {
        QCOMPARE(failure.kind, Failure::Kind::TooLarge);
        QCOMPARE(int(failure.what), what);
    }
}

void TstWorkbook::serials()
{
    const QList<std::tuple<double, Epoch, QString>> days{
        {1, Epoch::Excel1900, "1900-01-01"},     {59, Epoch::Excel1900, "1900-02-28"},
        {60, Epoch::Excel1900, "1900-02-29"},    {61, Epoch::Excel1900, "1900-03-01"},
        {31391.75, Epoch::Excel1900, "1985-12-10"}, {2958465, Epoch::Excel1900, "9999-12-31"},
        {2958466, Epoch::Excel1900, ""},         {0, Epoch::Excel1900, ""},
        {-1, Epoch::Excel1900, ""},              {29929, Epoch::Excel1904, "1985-12-10"},
        {0, Epoch::Excel1904, "1904-01-01"},     {31391, Epoch::OpenDocument, "1985-12-10"},
        {qQNaN(), Epoch::Excel1900, ""},         {qInf(), Epoch::OpenDocument, ""}};
    for (const auto& [serial, epoch, day] : days)
        QCOMPARE(dateOfSerial(serial, epoch), day);
}

QTEST_GUILESS_MAIN(TstWorkbook)
#include "tst_workbook.moc"
