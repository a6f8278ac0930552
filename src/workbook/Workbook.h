#pragma once
// The first worksheet of a workbook, read from the formats office programs save: .xlsx (Office
// Open XML) and .ods (OpenDocument). Cells are read as the program that saved the file shows
// them: a formula by the value it last computed, dates as dates, texts with their blanks; a
// subsystem that reads a sheet decides what the columns mean.
//
// Reading is bounded and linear: the sizes a file would unpack to are read from its zip directory
// and a file beyond its limits is refused before anything is unpacked; the parts are parsed as
// they are inflated, never held whole; a text that many cells repeat (a shared string, a repeated
// row or column) is held once, and the cells share it.

#include <QList>
#include <QMap>
#include <QString>

namespace vx::workbook {

struct Cell {
    enum class Type { Empty, Text, Number, Date };
    Type type = Type::Empty;
    QString text;  // Text: the text; Date: "yyyy-mm-dd" of the calendar the file counts in
    double number = 0; // Number: the value
    bool isEmpty() const { return type == Type::Empty || (type == Type::Text && text.isEmpty()); }
};

struct Limits {
    qint64 sheetBytes = 0;         // the worksheet's XML as unpacked
    qint64 sharedStringsBytes = 0; // an .xlsx's shared strings as unpacked
    qint64 partBytes = 0;          // any other part read
    int rows = 0;                  // rows of the sheet, the heading included
    int columns = 0;               // the columns read from the first (others are not kept)
    int cellText = 0;              // characters of one cell
};

// Why a workbook was not read.
struct Failure {
    enum class Kind { None, Unreadable, TooLarge } kind = Kind::None;
    enum class What { File, Part, Content, Rows, CellText } what = What::File;
    QString part;     // the part beyond its limit (What::Part)
    qint64 limit = 0; // the limit passed (bytes, rows or characters)
    explicit operator bool() const { return kind != Kind::None; }
};

class Sheet {
public:
    explicit Sheet(int columns = 0) : m_columns(columns) {}
    // Rows from the first to the last that holds a cell not empty.
    int rows() const { return m_rows.isEmpty() ? 0 : m_rows.lastKey() + 1; }
    Cell cell(int row, int column) const;

    void set(int row, int column, const Cell& cell);

private:
    int m_columns = 0;
    QMap<int, QList<Cell>> m_rows; // rows that hold anything, by index
};

Sheet readXlsx(const QString& path, const Limits& limits, Failure& failure);
Sheet readOds(const QString& path, const Limits& limits, Failure& failure);

// The calendar day of a spreadsheet's date serial, as "yyyy-mm-dd": counted from 1 = 1 January
// 1900 with the 29 February 1900 that never was (serial 60) as Excel and its files count, or from
// 0 = 1 January 1904 in a workbook that says so, or from 0 = 30 December 1899 (OpenDocument's).
// "" when the serial is no day from 1900 to 9999.
enum class Epoch { Excel1900, Excel1904, OpenDocument };
QString dateOfSerial(double serial, Epoch epoch);

} // namespace vx::workbook
