#include "roles/RoleSheet.h"

#include "core/Modules.h"
#include "roles/Messages.h"
#include "roles/RoleCodes.h"
#include "roles/SheetModule.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <zip.h>

#include <sys/stat.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
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

void fail(ReadFailure& failure, ReadFailure::Kind kind, const QString& reason)
{
    if (!failure)
        failure = {kind, reason};
}

sheets::Module* loadedModule()
{
    return modules::moduleObject<sheets::Module>(moduleFileName(), VX_SHEETS_ENTRY, sheets::kInterface);
}

struct ZipClose {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using Zip = std::unique_ptr<zip_t, ZipClose>;

// A zip archive as an import reads it: entries by name, each refused when its size in the zip
// directory is beyond its limit, and streamed in pieces.
class ZipParts {
public:
    bool open(const QString& path, const QString& kind, ReadFailure& failure)
    {
        m_kind = kind;
        int code = 0;
        // Inconsistent archives (duplicate names among them) are refused: which of two entries of
        // one name a program reads is anybody's guess.
        m_zip.reset(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
        if (!m_zip)
            fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(kind));
        return bool(m_zip);
    }

    // The uncompressed size of every entry and of all together, as the directory states them.
    bool withinLimits(qint64 entryLimit, qint64 totalLimit, ReadFailure& failure) const
    {
        qint64 total = 0;
        const zip_int64_t n = zip_get_num_entries(m_zip.get(), 0);
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_t st;
            if (zip_stat_index(m_zip.get(), zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
                continue;
            total += qint64(qMin<zip_uint64_t>(st.size, zip_uint64_t(totalLimit) + 1));
            if (qint64(st.size) > entryLimit || qint64(st.size) < 0 || total > totalLimit) {
                fail(failure, ReadFailure::Kind::TooLarge, msg::roles::contentTooBig(totalLimit >> 20));
                return false;
            }
        }
        return true;
    }

    bool has(const QString& name) const { return zip_name_locate(m_zip.get(), name.toUtf8().constData(), 0) >= 0; }

    // Feeds the XML of entry `name` to `step`, token by token, as it is inflated. False, with the
    // failure, when the entry is missing, beyond `limit`, or not well-formed.
    bool parse(const QString& name, qint64 limit, const std::function<bool(QXmlStreamReader&)>& step,
               ReadFailure& failure)
    {
        const zip_int64_t index = zip_name_locate(m_zip.get(), name.toUtf8().constData(), 0);
        zip_stat_t st;
        if (index < 0 || zip_stat_index(m_zip.get(), zip_uint64_t(index), 0, &st) != 0) {
            fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(m_kind));
            return false;
        }
        if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(limit)) {
            fail(failure, ReadFailure::Kind::TooLarge, msg::roles::partTooBig(name, limit >> 20));
            return false;
        }
        std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen_index(m_zip.get(), zip_uint64_t(index), 0),
                                                               zip_fclose);
        if (!file) {
            fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(m_kind));
            return false;
        }
        QXmlStreamReader xml;
        QByteArray chunk(1 << 16, Qt::Uninitialized);
        qint64 total = 0;
        for (;;) {
            const zip_int64_t n = zip_fread(file.get(), chunk.data(), zip_uint64_t(chunk.size()));
            if (n < 0) {
                fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(m_kind));
                return false;
            }
            total += n;
            if (total > limit) {
                fail(failure, ReadFailure::Kind::TooLarge, msg::roles::partTooBig(name, limit >> 20));
                return false;
            }
            if (n > 0)
                xml.addData(QByteArray(chunk.constData(), qsizetype(n)));
            bool ended = false;
            for (QXmlStreamReader::TokenType t; (t = xml.readNext()) != QXmlStreamReader::Invalid;) {
                ended = t == QXmlStreamReader::EndDocument;
                if (!step(xml))
                    return false;
            }
            // The reader waits for more at the end of what it has, even after the last element.
            if (ended)
                return true;
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError && n > 0)
                continue;
            fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(m_kind));
            return false;
        }
    }

private:
    Zip m_zip;
    QString m_kind;
};

// The column of a cell reference ("B12" is 1); -1 when it has no letters.
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

// An .xlsx workbook read directly from its parts: the cached value of a formula cell, inline
// strings, empty shared strings and dates all read as a spreadsheet program shows them.
class XlsxReader : public SheetReader {
public:
    bool load(const QString& path, ReadFailure& failure)
    {
        const QString kind = QStringLiteral("xlsx");
        if (!m_zip.open(path, kind, failure))
            return false;
        const QString sheet = firstSheet(failure);
        if (sheet.isEmpty() || !readStyles(failure) || !readSharedStrings(failure))
            return false;
        return readSheet(sheet, failure);
    }

    QString text(int row, int column) const override
    {
        const auto it = m_cells.constFind(row);
        return it == m_cells.cend() || column < 0 || column >= kColumns ? QString() : (*it)[column];
    }

    int rows() const override { return m_cells.isEmpty() ? 0 : m_cells.lastKey() + 1; }

private:
    // The path of the workbook's first worksheet, by its relationship.
    QString firstSheet(ReadFailure& failure)
    {
        QString id;
        if (!m_zip.parse(
                QStringLiteral("xl/workbook.xml"), importlimits::kPartBytes,
                [&id](QXmlStreamReader& x) {
                    if (id.isEmpty() && x.isStartElement() && x.name() == QLatin1String("sheet")) {
                        for (const QXmlStreamAttribute& a : x.attributes()) {
                            if (a.name() == QLatin1String("id"))
                                id = a.value().toString();
                        }
                    }
                    return true;
                },
                failure))
            return QString();
        QString target;
        const QString rels = QStringLiteral("xl/_rels/workbook.xml.rels");
        if (!id.isEmpty() && m_zip.has(rels) &&
            !m_zip.parse(
                rels, importlimits::kPartBytes,
                [&](QXmlStreamReader& x) {
                    if (x.isStartElement() && x.name() == QLatin1String("Relationship") &&
                        x.attributes().value(QLatin1String("Id")) == id)
                        target = x.attributes().value(QLatin1String("Target")).toString();
                    return true;
                },
                failure))
            return QString();
        if (target.isEmpty())
            return QStringLiteral("xl/worksheets/sheet1.xml");
        return target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
    }

    bool readStyles(ReadFailure& failure)
    {
        const QString name = QStringLiteral("xl/styles.xml");
        if (!m_zip.has(name))
            return true;
        QHash<int, bool> custom;
        bool inCellFormats = false;
        return m_zip.parse(
            name, importlimits::kPartBytes,
            [&](QXmlStreamReader& x) {
                if (x.isStartElement() && x.name() == QLatin1String("numFmt")) {
                    const int id = x.attributes().value(QLatin1String("numFmtId")).toInt();
                    custom.insert(
                        id, isDateFormat(size_t(id),
                                         x.attributes().value(QLatin1String("formatCode")).toString().toStdString()));
                } else if (x.name() == QLatin1String("cellXfs")) {
                    inCellFormats = x.isStartElement();
                } else if (inCellFormats && x.isStartElement() && x.name() == QLatin1String("xf")) {
                    const int id = x.attributes().value(QLatin1String("numFmtId")).toInt();
                    m_dateStyles.append(custom.contains(id) ? custom.value(id) : isDateFormat(size_t(id), {}));
                }
                return true;
            },
            failure);
    }

    // Each <si> is one string: the text of its runs, without the phonetic guide. An empty one
    // (<si><t/></si>) is an empty string of its own.
    bool readSharedStrings(ReadFailure& failure)
    {
        const QString name = QStringLiteral("xl/sharedStrings.xml");
        if (!m_zip.has(name))
            return true;
        QString current;
        bool inText = false;
        int phonetic = 0;
        return m_zip.parse(
            name, importlimits::kSharedStringsBytes,
            [&](QXmlStreamReader& x) {
                if (x.isStartElement()) {
                    if (x.name() == QLatin1String("si"))
                        current.clear();
                    else if (x.name() == QLatin1String("rPh"))
                        ++phonetic;
                    else if (x.name() == QLatin1String("t"))
                        inText = phonetic == 0;
                } else if (x.isEndElement()) {
                    if (x.name() == QLatin1String("si"))
                        m_strings.append(current);
                    else if (x.name() == QLatin1String("rPh"))
                        --phonetic;
                    else if (x.name() == QLatin1String("t"))
                        inText = false;
                } else if (x.isCharacters() && inText) {
                    current += x.text();
                }
                return true;
            },
            failure);
    }

    bool readSheet(const QString& name, ReadFailure& failure)
    {
        int row = -1;
        int column = -1;
        QString type;
        int style = -1;
        QString value;
        QString inlineText;
        enum class In { None, Value, InlineText } in = In::None;
        bool inInline = false;
        bool ok = true;
        const bool parsed = m_zip.parse(
            name, importlimits::kSheetBytes,
            [&](QXmlStreamReader& x) {
                const QStringView n = x.name();
                if (x.isStartElement()) {
                    if (n == QLatin1String("row")) {
                        const QStringView r = x.attributes().value(QLatin1String("r"));
                        row = r.isEmpty() ? row + 1 : r.toInt() - 1;
                        column = -1;
                        if (row < 0) {
                            ok = false;
                            fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(QStringLiteral("xlsx")));
                            return false;
                        }
                    } else if (n == QLatin1String("c")) {
                        const QStringView r = x.attributes().value(QLatin1String("r"));
                        column = r.isEmpty() ? column + 1 : columnOf(r);
                        type = x.attributes().value(QLatin1String("t")).toString();
                        const QStringView s = x.attributes().value(QLatin1String("s"));
                        style = s.isEmpty() ? -1 : s.toInt();
                        value.clear();
                        inlineText.clear();
                    } else if (n == QLatin1String("v")) {
                        in = In::Value;
                    } else if (n == QLatin1String("is")) {
                        inInline = true;
                    } else if (n == QLatin1String("t") && inInline) {
                        in = In::InlineText;
                    } else if (n == QLatin1String("rPh")) {
                        inInline = false; // a phonetic guide is no part of the text
                    }
                } else if (x.isEndElement()) {
                    if (n == QLatin1String("v") || n == QLatin1String("t")) {
                        in = In::None;
                    } else if (n == QLatin1String("is")) {
                        inInline = false;
                    } else if (n == QLatin1String("c")) {
                        if (row >= 0 && column >= 0 && column < kColumns) {
                            bool known = true;
                            const QString text = cellText(type, style, value, inlineText, known);
                            if (!known) {
                                ok = false;
                                fail(failure, ReadFailure::Kind::Unreadable,
                                     msg::roles::notASheet(QStringLiteral("xlsx")));
                                return false;
                            }
                            // Rows that only carry a format, however far down, hold no data.
                            if (!text.isEmpty() && row > importlimits::kRows) {
                                ok = false;
                                fail(failure, ReadFailure::Kind::TooLarge,
                                     msg::roles::tooManyRows(importlimits::kRows));
                                return false;
                            }
                            if (!text.isEmpty())
                                m_cells[row][column] = text;
                        }
                    }
                } else if (x.isCharacters()) {
                    if (in == In::Value)
                        value += x.text();
                    else if (in == In::InlineText)
                        inlineText += x.text();
                }
                return true;
            },
            failure);
        return parsed && ok;
    }

    // A cell as shown: a formula's cached value is in <v> like any other value. `known` false
    // when the cell names a shared string the workbook does not have.
    QString cellText(const QString& type, int style, const QString& value, const QString& inlineText, bool& known) const
    {
        if (type == QLatin1String("s")) {
            bool number = false;
            const int index = value.toInt(&number);
            known = number && index >= 0 && index < m_strings.size();
            return known ? m_strings[index] : QString();
        }
        if (type == QLatin1String("inlineStr"))
            return inlineText;
        if (type == QLatin1String("d")) {
            const QDate d = QDate::fromString(value.left(10), Qt::ISODate);
            return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : value;
        }
        if (!type.isEmpty() && type != QLatin1String("n"))
            return value; // a formula's text, a truth value, an error code
        bool number = false;
        const double v = value.toDouble(&number);
        if (!number)
            return value;
        const bool date = style >= 0 && style < m_dateStyles.size() && m_dateStyles[style];
        return date ? dateText(v) : numberText(v);
    }

    ZipParts m_zip;
    QList<bool> m_dateStyles; // by cell format: whether it shows a date
    QStringList m_strings;
    QMap<int, std::array<QString, kColumns>> m_cells; // rows that hold anything, by index
};

// A workbook the module reads: its texts as they are, its numbers as a cell shows them. An
// OpenDocument file keeps no format with a number, so a number in the date column is a date there.
class ModuleReader : public SheetReader {
public:
    ModuleReader(std::unique_ptr<sheets::Table> table, bool odsDates) : m_table(std::move(table)), m_odsDates(odsDates)
    {
    }

    QString text(int row, int column) const override
    {
        const sheets::Cell c = m_table->cell(row, column);
        if (!c.isNumber)
            return c.text;
        return m_odsDates && column == kDateColumn ? dateText(c.number, false) : numberText(c.number);
    }

    int rows() const override { return m_table->rows(); }

private:
    std::unique_ptr<sheets::Table> m_table;
    bool m_odsDates;
};

std::unique_ptr<SheetReader> readOds(const QString& path, ReadFailure& failure)
{
    // The library unpacks the whole document into memory: its size is checked first.
    {
        ZipParts parts;
        if (!parts.open(path, QStringLiteral("OpenDocument"), failure) ||
            !parts.withinLimits(importlimits::kSheetBytes, importlimits::kSheetBytes, failure))
            return nullptr;
    }
    sheets::Module* module = loadedModule();
    if (!module) {
        fail(failure, ReadFailure::Kind::Unreadable, msg::roles::moduleMissing(moduleFileName()));
        return nullptr;
    }
    std::unique_ptr<sheets::Table> table = module->readOds(path);
    if (!table) {
        fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(QStringLiteral("OpenDocument")));
        return nullptr;
    }
    return std::make_unique<ModuleReader>(std::move(table), true);
}

std::unique_ptr<SheetReader> readXls(const QString& path, ReadFailure& failure)
{
    // The library reads the whole file into memory.
    if (QFileInfo(path).size() > importlimits::kLegacyBytes) {
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::fileTooBig(importlimits::kLegacyBytes >> 20));
        return nullptr;
    }
    sheets::Module* module = loadedModule();
    if (!module) {
        fail(failure, ReadFailure::Kind::Unreadable, msg::roles::moduleMissing(moduleFileName()));
        return nullptr;
    }
    std::unique_ptr<sheets::Table> table = module->readXls(path);
    if (!table) {
        fail(failure, ReadFailure::Kind::Unreadable, msg::roles::notASheet(QStringLiteral("xls")));
        return nullptr;
    }
    return std::make_unique<ModuleReader>(std::move(table), false);
}

std::unique_ptr<SheetReader> open(const QString& path, ReadFailure& failure)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    std::unique_ptr<SheetReader> reader;
    if (ext == QLatin1String("xls")) {
        reader = readXls(path, failure);
    } else if (ext == QLatin1String("ods")) {
        reader = readOds(path, failure);
    } else {
        auto r = std::make_unique<XlsxReader>();
        if (r->load(path, failure))
            reader = std::move(r);
    }
    if (reader && reader->rows() > importlimits::kRows + 1)
        fail(failure, ReadFailure::Kind::TooLarge, msg::roles::tooManyRows(importlimits::kRows));
    return reader && !failure ? std::move(reader) : nullptr;
}

// The permissions a file created by a plain write gets: all may read and write, less the umask.
void givePlainPermissions(const QByteArray& path)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(path.constData(), 0666 & ~mask);
}

} // namespace

QString moduleFileName()
{
    return QStringLiteral("libvx_sheets.so");
}

bool moduleAvailable()
{
    return loadedModule() != nullptr;
}

bool needsModule(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    return ext == QLatin1String("ods") || ext == QLatin1String("xls");
}

QString fileName(qint32 numDoma, const QString& extension)
{
    return QStringLiteral("ExportRichiesta_%1.%2").arg(numDoma).arg(extension);
}

QStringList importExtensions()
{
    return {QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("xls")};
}

QString dateText(double serial, bool leap1900)
{
    // 1 January 1900 to 31 December 9999, the days a spreadsheet can show as dates.
    if (!std::isfinite(serial) || serial < 1 || serial >= 2958466)
        return numberText(serial);
    const qint64 day = qint64(std::floor(serial));
    if (leap1900 && day == 60)
        return QStringLiteral("29/02/1900");
    // Before the 29 February that never was, the count is one day behind the calendar's.
    const QDate epoch = leap1900 && day < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30);
    return epoch.addDays(day).toString(QStringLiteral("dd/MM/yyyy"));
}

QStringList heading(const QString& templatePath, bool* ok)
{
    QStringList cells;
    ReadFailure failure;
    std::unique_ptr<SheetReader> r = open(templatePath, failure);
    *ok = r != nullptr;
    for (int c = 0; r && c < kColumns; ++c)
        cells.append(r->text(0, c));
    return cells;
}

bool write(const QString& path, const QStringList& heading, const QList<RolePerson>& rows, QString* error)
{
    // Written beside the target and moved over it whole: a failure never leaves a partial file
    // under the name the import looks for.
    const QString folder = QFileInfo(path).absolutePath();
    QTemporaryFile temp(QDir(folder).filePath(QStringLiteral("XXXXXX.xlsx.part")));
    if (!temp.open()) {
        if (error)
            *error = msg::roles::cannotWrite(QDir::toNativeSeparators(folder));
        return false;
    }
    temp.close();
    const QByteArray tempName = QFile::encodeName(temp.fileName());
    sheets::Module* module = loadedModule();
    if (!module) {
        if (error)
            *error = msg::roles::moduleMissing(moduleFileName());
        return false;
    }
    std::unique_ptr<sheets::Workbook> book = module->createXlsx(temp.fileName());
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
    givePlainPermissions(tempName);
    if (std::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0) {
        if (error)
            *error = msg::roles::cannotWrite(QDir::toNativeSeparators(path));
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}

QList<ImportedRow> read(const QString& path, ReadFailure& failure)
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
        imported.setNumbers(op.mid(op.indexOf(QLatin1Char('-')) + 1), r->text(row, 8));
        p.ruolo = importedRole(r->text(row, 9));
        rows.append(imported);
    }
    return rows;
}

} // namespace vx::rolesheet
