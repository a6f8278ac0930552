#include "roles/RoleSheet.h"

#include "roles/RoleCodes.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

#include <freexl.h>
#include <ixion/model_context.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>
#include <xlsxwriter.h>

#include <cstdio>
#include <memory>

namespace vx::rolesheet {

namespace {

constexpr int kColumns = 10;   // A to J
constexpr int kDateColumn = 3; // D

// The cells of one worksheet row as texts: what the import reads from every format.
class SheetReader {
public:
    virtual ~SheetReader() = default;
    virtual QString text(int row, int column) const = 0;
    virtual int rows() const = 0;
};

// Whether a number format shows a date: a built-in date format, or a pattern with day or year
// letters outside quotes and brackets.
bool isDateFormat(size_t identifier, std::string_view pattern)
{
    if (pattern.empty())
        return (identifier >= 14 && identifier <= 17) || identifier == 22;
    bool quoted = false;
    bool bracket = false;
    for (char c : pattern) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == '[')
            bracket = true;
        else if (!quoted && c == ']')
            bracket = false;
        else if (!quoted && !bracket && (c == 'd' || c == 'D' || c == 'y' || c == 'Y'))
            return true;
    }
    return false;
}

QString numberText(double v)
{
    return QString::number(v, 'g', 15);
}

class OrcusReader : public SheetReader {
public:
    OrcusReader() : m_doc(orcus::spreadsheet::range_size_t{1048576, 16384}), m_factory(m_doc) {}

    bool load(const QString& path, bool ods, QString* error)
    {
        m_ods = ods;
        try {
            if (ods) {
                orcus::orcus_ods loader(&m_factory);
                loader.read_file(QFile::encodeName(path).toStdString());
            } else {
                orcus::orcus_xlsx loader(&m_factory);
                loader.read_file(QFile::encodeName(path).toStdString());
            }
        } catch (const std::exception& e) {
            if (error)
                *error = QString::fromUtf8(e.what());
            return false;
        }
        m_sheet = m_doc.get_sheet(0);
        if (!m_sheet) {
            if (error)
                *error = QStringLiteral("nessun foglio");
            return false;
        }
        m_rows = m_sheet->get_data_range().last.row + 1;
        const orcus::spreadsheet::styles& styles = m_doc.get_styles();
        for (size_t i = 0; i < styles.get_number_format_count(); ++i) {
            if (const auto* nf = styles.get_number_format(i))
                m_dateFormats.insert(nf->identifier, isDateFormat(nf->identifier, nf->format_string));
        }
        return true;
    }

    QString text(int row, int column) const override
    {
        const ixion::model_context& cxt = m_doc.get_model_context();
        const ixion::abs_address_t at(0, row, column);
        switch (cxt.get_celltype(at)) {
        case ixion::celltype_t::string: {
            const std::string_view s = cxt.get_string_value(at);
            return QString::fromUtf8(s.data(), qsizetype(s.size()));
        }
        case ixion::celltype_t::numeric: {
            const double v = cxt.get_numeric_value(at);
            return isDate(row, column) ? dateText(v) : numberText(v);
        }
        default:
            return QString();
        }
    }

    int rows() const override { return m_rows; }

private:
    bool isDate(int row, int column) const
    {
        const orcus::spreadsheet::styles& styles = m_doc.get_styles();
        const size_t xf = m_sheet->get_cell_format(row, column);
        // The OpenDocument reader of this liborcus does not carry a cell's data style into the
        // model; a number in the column of the birth date can only be the date a spreadsheet
        // program stored for a typed one.
        if (m_ods)
            return column == kDateColumn;
        // An xlsx cell format names its number format by identifier, as the file does.
        const auto* format = styles.get_cell_format(xf);
        if (!format)
            return false;
        const auto custom = m_dateFormats.find(format->number_format);
        return custom != m_dateFormats.end() ? *custom : isDateFormat(format->number_format, {});
    }

    orcus::spreadsheet::document m_doc;
    orcus::spreadsheet::import_factory m_factory;
    const orcus::spreadsheet::sheet* m_sheet = nullptr;
    int m_rows = 0;
    bool m_ods = false;
    QHash<size_t, bool> m_dateFormats; // by identifier: whether it shows a date
};

class FreeXlReader : public SheetReader {
public:
    ~FreeXlReader() override
    {
        if (m_handle)
            freexl_close(m_handle);
    }

    bool load(const QString& path, QString* error)
    {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_open(QFile::encodeName(path).constData(), &m_handle) != FREEXL_OK ||
            freexl_select_active_worksheet(m_handle, 0) != FREEXL_OK ||
            freexl_worksheet_dimensions(m_handle, &rows, &columns) != FREEXL_OK) {
            if (error)
                *error = QStringLiteral("file .xls non leggibile");
            return false;
        }
        m_rows = int(rows);
        m_columns = columns;
        return true;
    }

    QString text(int row, int column) const override
    {
        FreeXL_CellValue v;
        if (column >= m_columns || freexl_get_cell_value(m_handle, row, column, &v) != FREEXL_OK)
            return QString();
        switch (v.type) {
        case FREEXL_CELL_INT:
            return QString::number(v.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return numberText(v.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return QString::fromUtf8(v.value.text_value);
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME: {
            const QDate d = QDate::fromString(QString::fromLatin1(v.value.text_value).left(10), Qt::ISODate);
            return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString::fromUtf8(v.value.text_value);
        }
        default:
            return QString();
        }
    }

    int rows() const override { return m_rows; }

private:
    const void* m_handle = nullptr;
    int m_rows = 0;
    unsigned short m_columns = 0;
};

std::unique_ptr<SheetReader> open(const QString& path, QString* error)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("xls")) {
        auto r = std::make_unique<FreeXlReader>();
        return r->load(path, error) ? std::move(r) : nullptr;
    }
    auto r = std::make_unique<OrcusReader>();
    return r->load(path, ext == QLatin1String("ods"), error) ? std::move(r) : nullptr;
}

} // namespace

QString fileName(qint32 numDoma, const QString& extension)
{
    return QStringLiteral("ExportRichiesta_%1.%2").arg(numDoma).arg(extension);
}

QStringList importExtensions()
{
    return {QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("xls")};
}

QString dateText(double serial)
{
    return QDate(1899, 12, 30).addDays(qint64(serial)).toString(QStringLiteral("dd/MM/yyyy"));
}

QStringList heading(const QString& templatePath, bool* ok)
{
    QStringList cells;
    std::unique_ptr<SheetReader> r = open(templatePath, nullptr);
    *ok = r != nullptr;
    for (int c = 0; r && c < kColumns; ++c)
        cells.append(r->text(0, c));
    return cells;
}

bool write(const QString& path, const QStringList& heading, const QList<RolePerson>& rows, QString* error)
{
    // Written beside the target and moved over it whole: a failure never leaves a partial file
    // under the name the import looks for.
    QTemporaryFile temp(QFileInfo(path).absoluteDir().filePath(QStringLiteral("XXXXXX.xlsx.part")));
    if (!temp.open()) {
        if (error)
            *error = temp.errorString();
        return false;
    }
    temp.close();
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    lxw_workbook* book = workbook_new(tempName.constData());
    lxw_worksheet* sheet = book ? workbook_add_worksheet(book, nullptr) : nullptr;
    if (!sheet) {
        if (book)
            workbook_close(book);
        if (error)
            *error = QStringLiteral("libxlsxwriter");
        return false;
    }
    const auto put = [sheet](lxw_row_t row, lxw_col_t col, const QString& text) {
        if (!text.isEmpty())
            worksheet_write_string(sheet, row, col, text.toUtf8().constData(), nullptr);
    };
    for (int c = 0; c < heading.size() && c < kColumns; ++c)
        put(0, lxw_col_t(c), heading[c]);
    lxw_row_t r = 1;
    for (const RolePerson& p : rows) {
        put(r, 0, p.codFiscale);
        put(r, 1, p.cognome);
        put(r, 2, p.nome);
        put(r, 3, p.gg + QLatin1Char('/') + p.mm + QLatin1Char('/') + p.aaaa);
        put(r, 4, p.email);
        put(r, 5, p.tel);
        put(r, 6, p.gruppo + QLatin1Char('-') + QString::number(p.codice));
        worksheet_write_number(sheet, r, 8, p.sede, nullptr);
        worksheet_write_number(sheet, r, 9, p.ruolo, nullptr);
        ++r;
    }
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        if (error)
            *error = QString::fromUtf8(lxw_strerror(closed));
        return false;
    }
    if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        if (error)
            *error = QStringLiteral("rename");
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}

QList<ImportedRow> read(const QString& path, bool* ok, QString* error)
{
    QList<ImportedRow> rows;
    std::unique_ptr<SheetReader> r = open(path, error);
    *ok = r != nullptr;
    if (!r)
        return rows;
    for (int row = 1; row < r->rows(); ++row) {
        const QString cf = r->text(row, 0);
        if (cf.isEmpty())
            break;
        ImportedRow imported;
        RolePerson& p = imported.person;
        p.codFiscale = cf;
        p.cognome = r->text(row, 1);
        p.nome = r->text(row, 2);
        const QString date = r->text(row, kDateColumn);
        p.gg = date.mid(0, 2);
        p.mm = date.mid(3, 2);
        p.aaaa = date.mid(6, 4);
        p.email = r->text(row, 4);
        p.tel = r->text(row, 5);
        const QString op = r->text(row, 6);
        p.gruppo = op.left(1);
        imported.setNumbers(op.mid(op.indexOf(QLatin1Char('-')) + 1), r->text(row, 8));
        p.ruolo = importedRole(r->text(row, 9));
        rows.append(imported);
    }
    return rows;
}

} // namespace vx::rolesheet
