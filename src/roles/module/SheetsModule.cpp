// libvx_sheets.so: the spreadsheet formats the program loads only when a command needs them
// (roles/SheetModule.h says why). The legacy .xls is read through FreeXL, .xlsx is written through
// libxlsxwriter. Nothing here checks sizes or tells the user
// anything: the program does both, before and after calling in.

#include "core/NativePath.h"
#include "roles/SheetModule.h"

#include <QDate>
#include <QFile>

#include <freexl.h>
#include <xlsxwriter.h>

namespace {

using vx::roles::Cell;

class XlsTable : public vx::roles::Table {
public:
    ~XlsTable() override
    {
        if (m_handle)
            freexl_close(m_handle);
    }

    bool load(const QString& path)
    {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_open(vx::nativepath::ansi(path).constData(), &m_handle) != FREEXL_OK ||
            freexl_select_active_worksheet(m_handle, 0) != FREEXL_OK ||
            freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK)
            return false;
        m_rows = int(rows);
        m_columns = columns;
        return true;
    }

    int rows() const override { return m_rows; }

    Cell cell(int row, int column) const override
    {
        FreeXL_CellValue v;
        if (column >= m_columns || freexl_get_cell_value(m_handle, row, column, &v) != FREEXL_OK)
            return {};
        switch (v.type) {
        case FREEXL_CELL_INT:
            return {QString::number(v.value.int_value)};
        case FREEXL_CELL_DOUBLE:
            return {QString(), v.value.double_value, true};
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return {QString::fromUtf8(v.value.text_value)};
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME: {
            // The library gives dates as ISO texts; a cell shows them as the import reads typed dates.
            const QDate d = QDate::fromString(QString::fromLatin1(v.value.text_value).left(10), Qt::ISODate);
            return {d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString::fromUtf8(v.value.text_value)};
        }
        default:
            return {};
        }
    }

private:
    const void* m_handle = nullptr;
    int m_rows = 0;
    unsigned short m_columns = 0;
};

class XlsxWorkbook : public vx::roles::Workbook {
public:
    explicit XlsxWorkbook(lxw_workbook* book, lxw_worksheet* sheet) : m_book(book), m_sheet(sheet) {}
    ~XlsxWorkbook() override
    {
        if (m_book)
            workbook_close(m_book);
    }

    void text(int row, int column, const QString& text) override
    {
        m_utf8 = text.toUtf8();
        worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(column), m_utf8.constData(), nullptr);
    }
    void number(int row, int column, double value) override
    {
        worksheet_write_number(m_sheet, lxw_row_t(row), lxw_col_t(column), value, nullptr);
    }
    bool close() override
    {
        lxw_workbook* book = m_book;
        m_book = nullptr;
        return workbook_close(book) == LXW_NO_ERROR;
    }

private:
    lxw_workbook* m_book;
    lxw_worksheet* m_sheet;
    QByteArray m_utf8; // kept between cells: one buffer for the whole file
};

class Module : public vx::roles::Module {
public:
    std::unique_ptr<vx::roles::Table> readXls(const QString& path) override
    {
        auto table = std::make_unique<XlsTable>();
        return table->load(path) ? std::move(table) : nullptr;
    }
    std::unique_ptr<vx::roles::Workbook> createXlsx(const QString& path) override
    {
        lxw_workbook* book = workbook_new(vx::nativepath::utf8(path).constData());
        lxw_worksheet* sheet = book ? workbook_add_worksheet(book, nullptr) : nullptr;
        if (!sheet) {
            if (book)
                workbook_close(book);
            return nullptr;
        }
        return std::make_unique<XlsxWorkbook>(book, sheet);
    }
};

} // namespace

extern "C" Q_DECL_EXPORT vx::roles::Module* vx_sheets_module(int interface)
{
    static Module module;
    return interface == vx::roles::kInterface ? &module : nullptr;
}
