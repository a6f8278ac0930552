#include "workbook/ZipParts.h"

#include "core/NativePath.h"

#include <QFile>

#include <zip.h>

namespace vx::workbook {

void fail(Failure& failure, Failure::Kind kind, Failure::What what, qint64 limit, const QString& part)
{
    if (!failure)
        failure = {kind, what, part, limit};
}

void ZipParts::Close::operator()(zip* z) const
{
    zip_discard(z);
}

ZipParts::ZipParts() = default;
ZipParts::~ZipParts() = default;

bool ZipParts::open(const QString& path, Failure& failure)
{
    int code = 0;
    // Inconsistent archives (duplicate names among them) are refused: which of two entries of one
    // name a program reads is anybody's guess.
    m_zip.reset(zip_open(nativepath::utf8(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code));
    if (!m_zip)
        fail(failure, Failure::Kind::Unreadable);
    return bool(m_zip);
}

bool ZipParts::withinLimits(qint64 entryLimit, qint64 totalLimit, Failure& failure) const
{
    qint64 total = 0;
    const zip_int64_t n = zip_get_num_entries(m_zip.get(), 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        if (zip_stat_index(m_zip.get(), zip_uint64_t(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
            continue;
        total += qint64(qMin<zip_uint64_t>(st.size, zip_uint64_t(totalLimit) + 1));
        if (qint64(st.size) > entryLimit || qint64(st.size) < 0 || total > totalLimit) {
            fail(failure, Failure::Kind::TooLarge, Failure::What::Content, totalLimit);
            return false;
        }
    }
    return true;
}

bool ZipParts::has(const QString& name) const
{
    return zip_name_locate(m_zip.get(), name.toUtf8().constData(), 0) >= 0;
}

bool ZipParts::parse(const QString& name, qint64 limit, const Step& step, Failure& failure)
{
    const zip_int64_t index = zip_name_locate(m_zip.get(), name.toUtf8().constData(), 0);
    zip_stat_t st;
    if (index < 0 || zip_stat_index(m_zip.get(), zip_uint64_t(index), 0, &st) != 0) {
        fail(failure, Failure::Kind::Unreadable);
        return false;
    }
    if ((st.valid & ZIP_STAT_SIZE) && st.size > zip_uint64_t(limit)) {
        fail(failure, Failure::Kind::TooLarge, Failure::What::Part, limit, name);
        return false;
    }
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(zip_fopen_index(m_zip.get(), zip_uint64_t(index), 0),
                                                           zip_fclose);
    if (!file) {
        fail(failure, Failure::Kind::Unreadable);
        return false;
    }
    XmlTokens xml;
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        const XmlTokens::Token token = xml.next();
        switch (token) {
        case XmlTokens::Token::NeedMore: {
            const zip_int64_t n = zip_fread(file.get(), chunk.data(), zip_uint64_t(chunk.size()));
            if (n < 0) {
                fail(failure, Failure::Kind::Unreadable);
                return false;
            }
            total += n;
            // The directory's size may lie: what is inflated is counted too.
            if (total > limit) {
                fail(failure, Failure::Kind::TooLarge, Failure::What::Part, limit, name);
                return false;
            }
            if (n == 0)
                xml.finish();
            else
                xml.addData(chunk.constData(), qsizetype(n));
            break;
        }
        case XmlTokens::Token::EndDocument:
            return true;
        case XmlTokens::Token::Error:
            fail(failure, Failure::Kind::Unreadable);
            return false;
        default:
            if (!step(xml, token)) {
                fail(failure, Failure::Kind::Unreadable);
                return false;
            }
        }
    }
}

} // namespace vx::workbook
