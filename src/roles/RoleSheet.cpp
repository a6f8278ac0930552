#include "roles/RoleSheet.h"

#include "core/DurableFile.h"
#include "core/Modules.h"
#include "roles/Messages.h"
#include "roles/RoleCodes.h"
#include "roles/SheetModule.h"
#include "workbook/Workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <cstdio>
#include <memory>

namespace vx::roles {

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

QString numberText(double v)
{
    return QString::number(v, 'g', 15);
}

void fail(ReadFailure& failure, ReadFailure::Kind kind, const QString& reason)
{
    if (!failure)
        failure = {kind, reason};
}

roles::Module* loadedModule()
{
    return modules::moduleObject<roles::Module>(moduleFileName(), VX_SHEETS_ENTRY, roles::kInterface);
}

// "dd/mm/yyyy" of a "yyyy-mm-dd": a typed date as the import reads it.
QString typedDate(const QString& iso)
{
    return iso.mid(8, 2) + QLatin1Char('/') + iso.mid(5, 2) + QLatin1Char('/') + iso.left(4);
}

// An .xlsx or .ods workbook, read by the program itself: its cells as the office program shows
// them. An OpenDocument file keeps no format with a number, so a number in the date column is a
// date there.
class WorkbookReader : public SheetReader {
public:
    WorkbookReader(workbook::Sheet sheet, bool openDocument) : m_sheet(std::move(sheet)), m_openDocument(openDocument)
    {
    }

    QString text(int row, int column) const override
    {
        const workbook::Cell c = m_sheet.cell(row, column);
        switch (c.type) {
        case workbook::Cell::Type::Empty:
            return QString();
        case workbook::Cell::Type::Text:
            return c.text;
        case workbook::Cell::Type::Date:
            return typedDate(c.text);
        case workbook::Cell::Type::Number:
            break;
        }
        return m_openDocument && column == kDateColumn ? dateText(c.number, false) : numberText(c.number);
    }

    int rows() const override { return m_sheet.rows(); }

private:
    workbook::Sheet m_sheet;
    bool m_openDocument;
};

// A legacy .xls the module reads: its texts as they are, its numbers as a cell shows them.
class ModuleReader : public SheetReader {
public:
    explicit ModuleReader(std::unique_ptr<roles::Table> table) : m_table(std::move(table)) {}

    QString text(int row, int column) const override
    {
        const roles::Cell c = m_table->cell(row, column);
        return c.isNumber ? numberText(c.number) : c.text;
    }

    int rows() const override { return m_table->rows(); }

private:
    std::unique_ptr<roles::Table> m_table;
};

std::unique_ptr<SheetReader> readWorkbook(const QString& path, bool openDocument, ReadFailure& failure)
{
    const workbook::Limits limits{roles::kSheetBytes, roles::kSharedStringsBytes,
                                  roles::kPartBytes,  roles::kRows + 1,
                                  kColumns,           roles::kCellText};
    workbook::Failure why;
    workbook::Sheet sheet = openDocument ? workbook::readOds(path, limits, why) : workbook::readXlsx(path, limits, why);
    if (!why)
        return std::make_unique<WorkbookReader>(std::move(sheet), openDocument);
    const QString kind = openDocument ? QStringLiteral("OpenDocument") : QStringLiteral("xlsx");
    if (why.kind == workbook::Failure::Kind::Unreadable) {
        fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(kind));
        return nullptr;
    }
    switch (why.what) {
    case workbook::Failure::What::Part:
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::partTooBig(why.part, why.limit >> 20));
        break;
    case workbook::Failure::What::Content:
    case workbook::Failure::What::File:
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::contentTooBig(why.limit >> 20));
        break;
    case workbook::Failure::What::Rows:
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::tooManyRows(roles::kRows));
        break;
    case workbook::Failure::What::CellText:
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::cellTooLong(roles::kCellText));
        break;
    }
    return nullptr;
}

std::unique_ptr<SheetReader> readXls(const QString& path, ReadFailure& failure)
{
    // The library reads the whole file into memory.
    if (QFileInfo(path).size() > roles::kLegacyBytes) {
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::fileTooBig(roles::kLegacyBytes >> 20));
        return nullptr;
    }
    roles::Module* module = loadedModule();
    if (!module) {
        fail(failure, ReadFailure::Kind::Unreadable, msg::roles::moduleMissing(moduleFileName()));
        return nullptr;
    }
    std::unique_ptr<roles::Table> table = module->readXls(path);
    if (!table) {
        fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(QStringLiteral("xls")));
        return nullptr;
    }
    return std::make_unique<ModuleReader>(std::move(table));
}

std::unique_ptr<SheetReader> open(const QString& path, ReadFailure& failure)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    std::unique_ptr<SheetReader> reader = ext == QLatin1String("xls")   ? readXls(path, failure)
                                          : ext == QLatin1String("ods") ? readWorkbook(path, true, failure)
                                                                        : readWorkbook(path, false, failure);
    if (reader && reader->rows() > roles::kRows + 1)
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::tooManyRows(roles::kRows));
    return reader && !failure ? std::move(reader) : nullptr;
}

} // namespace

QString moduleFileName()
{
    return modules::fileOf("vx_sheets");
}

bool moduleAvailable()
{
    return loadedModule() != nullptr;
}

bool needsModule(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
}

QString sheetFileName(qint32 numDoma, const QString& extension)
{
    return QStringLiteral("ExportRichiesta_%1.%2").arg(numDoma).arg(extension);
}

QStringList importExtensions()
{
    return {QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("xls")};
}

QString dateText(double serial, bool leap1900)
{
    const QString day =
        workbook::dateOfSerial(serial, leap1900 ? workbook::Epoch::Excel1900 : workbook::Epoch::OpenDocument);
    return day.isEmpty() ? numberText(serial) : typedDate(day);
}

QStringList sheetHeading(const QString& templatePath, bool* ok)
{
    QStringList cells;
    ReadFailure failure;
    std::unique_ptr<SheetReader> r = open(templatePath, failure);
    *ok = r != nullptr;
    for (int c = 0; r && c < kColumns; ++c)
        cells.append(r->text(0, c));
    return cells;
}

bool writeSheet(const QString& path, const QStringList& heading, const QList<RolePerson>& rows, QString* error)
{
    // Written beside the target and moved over it whole: a failure never leaves a partial file
    // under the name the import looks for.
    const QString folder = QFileInfo(path).absolutePath();
    QString part;
    {
        // Only its name is taken: a QTemporaryFile keeps its file open until it goes, and Windows
        // renames no file held open.
        QTemporaryFile temp(QDir(folder).filePath(QStringLiteral("XXXXXX.xlsx.part")));
        if (!temp.open()) {
            if (error)
                *error = msg::roles::cannotWrite(QDir::toNativeSeparators(folder));
            return false;
        }
        temp.setAutoRemove(false);
        part = temp.fileName();
    }
    auto removePart = qScopeGuard([&part] { QFile::remove(part); });
    roles::Module* module = loadedModule();
    if (!module) {
        if (error)
            *error = msg::roles::moduleMissing(moduleFileName());
        return false;
    }
    std::unique_ptr<roles::Workbook> book = module->createXlsx(part);
    if (!book) {
        if (error)
            *error = msg::roles::cannotWrite(QDir::toNativeSeparators(path));
        return false;
    }
    const auto put = [&book](int row, int col, const QString& text) {
        if (!text.isEmpty())
            book->text(row, col, text);
    };
    for (int c = 0; c < heading.size() && c < kColumns; ++c)
        put(0, c, heading[c]);
    int r = 1;
    for (const RolePerson& p : rows) {
        put(r, 0, p.codFiscale);
        put(r, 1, p.cognome);
        put(r, 2, p.nome);
        put(r, 3, p.gg + QLatin1Char('/') + p.mm + QLatin1Char('/') + p.aaaa);
        put(r, 4, p.email);
        put(r, 5, p.tel);
        put(r, 6, p.gruppo + QLatin1Char('-') + QString::number(p.codice));
        book->number(r, 8, p.sede);
        book->number(r, 9, p.ruolo);
        ++r;
    }
    // The library's own reasons are English and name its temporary files: the user is told
    // which file could not be written.
    if (!book->close()) {
        if (error)
            *error = msg::roles::cannotWrite(QDir::toNativeSeparators(path));
        return false;
    }
    // A temporary file is the owner's alone; the export is for colleagues on a shared folder too.
    givePlainPermissions(part);
    if (!replaceFile(part, path)) {
        if (error)
            *error = msg::roles::cannotWrite(QDir::toNativeSeparators(path));
        return false;
    }
    removePart.dismiss();
    return true;
}

QList<ImportedRow> readSheet(const QString& path, ReadFailure& failure)
{
    QList<ImportedRow> rows;
    std::unique_ptr<SheetReader> r = open(path, failure);
    if (!r)
        return rows;
    const auto blank = [&r](int row) {
        for (int c = 0; c < kColumns; ++c) {
            if (!r->text(row, c).isEmpty())
                return false;
        }
        return true;
    };
    // Long texts named by many cells are read once (PerText.h).
    PerText<int> numbers, hyphens;
    int last = r->rows() - 1;
    while (last >= 1 && blank(last))
        --last;
    for (int row = 1; row <= last; ++row) {
        ImportedRow imported;
        RolePerson& p = imported.person;
        p.codFiscale = r->text(row, 0);
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
        const int hyphen = hyphens.of(op, [](QStringView t) { return int(t.indexOf(QLatin1Char('-'))); });
        imported.setNumbers(op, hyphen + 1, r->text(row, 8), numbers);
        p.ruolo = importedRole(r->text(row, 9));
        rows.append(imported);
    }
    return rows;
}

} // namespace vx::roles
