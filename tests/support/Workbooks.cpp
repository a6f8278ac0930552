#include "Workbooks.h"

#include "core/ModuleLibrary.h"

#include <QFile>

#include <zip.h>

namespace vx::test {

namespace {
// The program calls libzip through its own definitions of the functions it uses, loading the
// library on the first call; the one more a test needs is taken from the same library.
zip_source_t* sourceBuffer(zip_t* z, const QByteArray& bytes)
{
    static const auto f = reinterpret_cast<decltype(&::zip_source_buffer)>(
        vx::module::function(vx::module::Library::Zip, "zip_source_buffer"));
    return f(z, bytes.constData(), zip_uint64_t(bytes.size()), 0);
}
} // namespace

bool writeZip(const QString& path, const QList<std::pair<QByteArray, QByteArray>>& entries)
{
    int code = 0;
    QFile::remove(path);
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE, &code);
    if (!z)
        return false;
    for (const auto& [name, bytes] : entries) // read when the archive is written, below
        zip_file_add(z, name.constData(), sourceBuffer(z, bytes), 0);
    return zip_close(z) == 0;
}

QList<std::pair<QByteArray, QByteArray>> readZip(const QString& path)
{
    QList<std::pair<QByteArray, QByteArray>> entries;
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!z)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        if (!f || zip_stat_index(z, zip_uint64_t(i), 0, &st) != 0) {
            if (f)
                zip_fclose(f);
            continue;
        }
        QByteArray bytes(qsizetype(st.size), Qt::Uninitialized);
        const zip_int64_t n = zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
        bytes.resize(n < 0 ? 0 : qsizetype(n));
        entries.append({QByteArray(st.name), bytes});
    }
    zip_discard(z);
    return entries;
}

bool writeXlsx(const QString& path, const QByteArray& sheet, const QByteArray& strings,
               const QByteArray& workbookProperties)
{
    const QByteArray x = "http://schemas.openxmlformats.org/", main = " xmlns=\"" + x + "spreadsheetml/2006/main\"";
    const QByteArray ct = "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.";
    const QByteArray rel = "<Relationship Type=\"" + x + "officeDocument/2006/relationships/";
    const QByteArray properties = workbookProperties.isEmpty() ? QByteArray() : "<workbookPr " + workbookProperties + "/>";
    return writeZip(
        path,
        {{"[Content_Types].xml",
          "<Types xmlns=\"" + x +
              "package/2006/content-types\"><Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Override "
              "PartName=\"/xl/workbook.xml" +
              ct + "sheet.main+xml\"/><Override PartName=\"/xl/worksheets/sheet1.xml" + ct +
              "worksheet+xml\"/><Override PartName=\"/xl/styles.xml" + ct +
              "styles+xml\"/><Override PartName=\"/xl/sharedStrings.xml" + ct + "sharedStrings+xml\"/></Types>"},
         {"_rels/.rels",
          "<Relationships>" + rel + "officeDocument\" Id=\"r\" Target=\"xl/workbook.xml\"/></Relationships>"},
         {"xl/workbook.xml", "<workbook" + main + " xmlns:r=\"" + x + "officeDocument/2006/relationships\">" +
                                 properties +
                                 "<sheets><sheet name=\"Ruoli\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships>" + rel + "worksheet\" Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>" + rel +
              "styles\" Id=\"rId2\" Target=\"styles.xml\"/>" + rel +
              "sharedStrings\" Id=\"rId3\" Target=\"sharedStrings.xml\"/></Relationships>"},
         {"xl/styles.xml", "<styleSheet" + main +
                               "><numFmts><numFmt numFmtId=\"164\" formatCode=\"dd/mm/yyyy\"/>"
                               "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/></cellXfs></styleSheet>"},
         {"xl/sharedStrings.xml", "<sst" + main + ">" + strings + "</sst>"},
         {"xl/worksheets/sheet1.xml", "<worksheet" + main + "><sheetData>" + sheet + "</sheetData></worksheet>"}});
}

bool writeOds(const QString& path, const QByteArray& rows, const QByteArray& secondTable)
{
    const QByteArray ns = "urn:oasis:names:tc:opendocument:xmlns:";
    const QByteArray content =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content xmlns:office=\"" + ns +
        "office:1.0\" xmlns:table=\"" + ns + "table:1.0\" xmlns:text=\"" + ns +
        "text:1.0\" xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" "
        "office:version=\"1.3\"><office:body><office:spreadsheet><table:table table:name=\"Ruoli\">"
        "<table:table-column table:number-columns-repeated=\"10\"/>" +
        rows + "</table:table><table:table table:name=\"Altro\">" + secondTable +
        "</table:table></office:spreadsheet></office:body></office:document-content>";
    return writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                           {"content.xml", content},
                           {"META-INF/manifest.xml",
                            "<manifest:manifest xmlns:manifest=\"" + ns +
                                "manifest:1.0\"><manifest:file-entry manifest:full-path=\"/\" "
                                "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
                                "</manifest:manifest>"}});
}

} // namespace vx::test
