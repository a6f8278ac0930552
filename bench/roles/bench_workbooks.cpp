// Hostile and large workbooks inside the import's limits: each read and verified as the import
// does it (the file's rows, then every check on every row), against the bare unpacking of the
// same archive (libzip inflating every part, nothing parsed) measured in the same run. The aim is
// an absolute one: every workbook the import accepts to read is done in under 10 s on the office's
// machine, whatever the file holds. Exits non-zero when a workbook misses it.

#include "roles/ImportLimits.h"
#include "roles/ImportVerification.h"
#include "roles/RoleSheet.h"

#include "../../tests/support/Workbooks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <zip.h>

#include <cstdio>
#include <functional>

using namespace vx;

namespace {

constexpr double kAimSeconds = 10.0;

double seconds(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e9;
}

// Every part of the archive inflated and thrown away: what no reader can do without.
qint64 unpack(const QString& path)
{
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!z)
        return -1;
    qint64 total = 0;
    static char buffer[1 << 16];
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        if (!f)
            continue;
        for (zip_int64_t n; (n = zip_fread(f, buffer, sizeof buffer)) > 0;)
            total += n;
        zip_fclose(f);
    }
    zip_discard(z);
    return total;
}

QByteArray cell(const char* ref, int row, const QByteArray& inside, const QByteArray& attributes = QByteArray())
{
    return "<c r=\"" + QByteArray(ref) + QByteArray::number(row) + "\"" + attributes + ">" + inside + "</c>";
}

// A row of ten cells each naming the shared string 0.
QByteArray sharedRow(int row)
{
    QByteArray r = "<row r=\"" + QByteArray::number(row) + "\">";
    for (const char* c : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"})
        r += cell(c, row, "<v>0</v>", " t=\"s\"");
    return r + "</row>";
}

// A plausible person, different on every row, its texts inline.
QByteArray personRow(int row)
{
    const auto text = [row](const char* c, const QByteArray& t) {
        return cell(c, row, "<is><t>" + t + "</t></is>", " t=\"inlineStr\"");
    };
    const QByteArray n = QByteArray::number(row);
    return "<row r=\"" + n + "\">" + text("A", "RSSMRA85T10A562S") + text("B", "ROSSI" + n) + text("C", "MARIO") +
           text("D", "10/12/1985") + text("E", "mario" + n + "@example.it") + text("F", "0612345678") +
           text("G", "A-123") + cell("I", row, "<v>0</v>") + cell("J", row, "<v>1</v>") + "</row>";
}

QByteArray heading()
{
    return "<row r=\"1\">" + cell("A", 1, "<is><t>CodiceFiscale</t></is>", " t=\"inlineStr\"") + "</row>";
}

QByteArray repeatedOdsRow(const QByteArray& text, int times)
{
    QByteArray cells;
    for (int c = 0; c < 10; ++c)
        cells += "<table:table-cell office:value-type=\"string\"><text:p>" + text + "</text:p></table:table-cell>";
    return "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Intestazione</text:p>"
           "</table:table-cell></table:table-row><table:table-row table:number-rows-repeated=\"" +
           QByteArray::number(times) + "\">" + cells + "</table:table-row>";
}

struct Case {
    const char* name;
    const char* file;
    std::function<bool(const QString&)> write;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const int rows = roles::kRows;
    const QByteArray cellLimit(roles::kCellText, 'A');
    const QByteArray megabyte(1 << 20, 'A');
    const qint64 big = roles::kSheetBytes - (1 << 20); // one token filling the worksheet's bound

    const QList<Case> cases{
        {"100.000 righe che nominano un testo condiviso di 32.767 caratteri", "condiviso.xlsx",
         [&](const QString& p) {
             QByteArray sheet = heading();
             for (int r = 2; r <= rows + 1; ++r)
                 sheet += sharedRow(r);
             return test::writeXlsx(p, sheet, "<si><t>" + cellLimit + "</t></si>");
         }},
        {"1.000 righe che nominano un testo condiviso di 1 MB (rifiutato)", "condiviso-1mb.xlsx",
         [&](const QString& p) {
             QByteArray sheet = heading();
             for (int r = 2; r <= 1001; ++r)
                 sheet += sharedRow(r);
             return test::writeXlsx(p, sheet, "<si><t>" + megabyte + "</t></si>");
         }},
        {"un commento di 127 MiB nel foglio", "commento.xlsx",
         [&](const QString& p) {
             return test::writeXlsx(p, heading() + "<!--" + QByteArray(big, 'x') + "-->" + personRow(2));
         }},
        {"una sezione CDATA di 127 MiB nel foglio", "cdata.xlsx",
         [&](const QString& p) {
             return test::writeXlsx(p, heading() + personRow(2) + "<x><![CDATA[" + QByteArray(big, 'x') + "]]></x>");
         }},
        {"un'istruzione di elaborazione di 127 MiB", "istruzione.xlsx",
         [&](const QString& p) {
             return test::writeXlsx(p, heading() + "<?pi " + QByteArray(big, 'x') + "?>" + personRow(2));
         }},
        {"100.000 persone diverse", "persone.xlsx",
         [&](const QString& p) {
             QByteArray sheet = heading();
             for (int r = 2; r <= rows + 1; ++r)
                 sheet += personRow(r);
             return test::writeXlsx(p, sheet);
         }},
        {"ods: una riga di 10 celle di 32.767 caratteri ripetuta 100.000 volte", "ripetuta.ods",
         [&](const QString& p) { return test::writeOds(p, repeatedOdsRow(cellLimit, rows)); }},
    };

    bool missed = false;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        if (!c.write(path)) {
            std::printf("%s: non scritto\n", c.name);
            return 2;
        }
        QElapsedTimer t;
        t.start();
        const qint64 unpacked = unpack(path);
        const double bare = seconds(t);

        t.restart();
        ReadFailure failure;
        const QList<ImportedRow> read = roles::readSheet(path, failure);
        const ImportReport report =
            ImportVerification(QStringLiteral("A"), 123, 2026, [](const QString&, qint32, qint32) {
                return true;
            }).verify(read);
        const double whole = seconds(t);
        missed = missed || whole >= kAimSeconds;
        std::printf("%s (%.1f MB su disco, %.0f MB aperti): letto e verificato in %.2f s, %lld righe, %lld righe di "
                    "rapporto%s; solo scompattare %.2f s, %.1fx (obiettivo: meno di %.0f s)\n",
                    c.name, QFileInfo(path).size() / 1e6, unpacked / 1e6, whole, qlonglong(read.size()),
                    qlonglong(report.lines.size()), failure ? " (rifiutato)" : "", bare, whole / bare, kAimSeconds);
        std::fflush(stdout);
        QFile::remove(path);
    }
    return missed ? 1 : 0;
}
