#pragma once
// What the program and its spreadsheet module (libvx_sheets.so) share, and nothing more. The
// module holds the formats only a few commands use: reading the legacy .xls and writing .xlsx.
// The libraries behind them (FreeXL, libxlsxwriter) would otherwise be loaded, relocated and
// initialised at every start of the program; the module is loaded on the first command that
// needs it.
//
// Both sides are built together from this header with the same compiler and Qt, so Qt types and
// virtual calls cross freely; `kInterface` changes with any change here, and a module that
// answers another number is not used. Sizes and limits are checked by the program before the
// module is called: the module only reads and writes.

#include <QString>

#include <memory>

namespace vx::roles {

constexpr int kInterface = 2;

// One cell as read: a text, or a number that the program formats (a date, by its column).
struct Cell {
    QString text;
    double number = 0;
    bool isNumber = false;
};

// The first worksheet of a workbook.
class Table {
public:
    virtual ~Table() = default;
    virtual int rows() const = 0;
    virtual Cell cell(int row, int column) const = 0;
};

// An .xlsx being written, one worksheet; rows and columns from 0.
class Workbook {
public:
    virtual ~Workbook() = default;
    virtual void text(int row, int column, const QString& text) = 0;
    virtual void number(int row, int column, double value) = 0;
    // Writes the file out; false when it is not whole.
    virtual bool close() = 0;
};

class Module {
public:
    virtual ~Module() = default;
    // Null when the file cannot be read as such a workbook.
    virtual std::unique_ptr<Table> readXls(const QString& path) = 0;
    // Null when the file cannot be created.
    virtual std::unique_ptr<Workbook> createXlsx(const QString& path) = 0;
};

} // namespace vx::roles

// The module's one entry point: its module object, or null when it was built for another interface.
#define VX_SHEETS_ENTRY "vx_sheets_module"
extern "C" {
using VxSheetsEntry = vx::roles::Module* (*)(int interface);
}
