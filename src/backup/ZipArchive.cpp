#include "backup/ZipArchive.h"

#include "backup/Messages.h"
#include "core/DurableFile.h"
#include "core/NativePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <zip.h>

#include <memory>

namespace vx::backup {

namespace {
// Deflate at the level a user's zip program uses by default: a fair size at a fair speed.
constexpr zip_uint32_t kLevel = 6;

QString libzipError(zip_t* archive)
{
    return msg::backup::zipError(zip_error_code_zip(zip_get_error(archive)));
}

struct Discard {
    void operator()(zip_t* archive) const
    {
        if (archive)
            zip_discard(archive);
    }
};
using Archive = std::unique_ptr<zip_t, Discard>;

Archive openForReading(const QString& path, QString* error)
{
    int code = 0;
    zip_t* archive = zip_open(nativepath::utf8(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive && error)
        *error = msg::backup::zipError(code);
    return Archive(archive);
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}
} // namespace

bool isPlainName(const QString& entryName)
{
    return !entryName.isEmpty() && entryName != QLatin1String(".") && entryName != QLatin1String("..") &&
           !entryName.contains(QLatin1Char('/')) && !entryName.contains(QLatin1Char('\\')) &&
           !entryName.contains(QLatin1Char(':')) && !entryName.contains(QChar(0));
}

bool packFile(const QString& file, const QString& entryName, const QString& archivePath, QString* error,
              const std::function<void()>& replacing)
{
    return packFiles(file, entryName, {}, archivePath, error, replacing);
}

bool packFiles(const QString& file, const QString& entryName, const QStringList& alongside, const QString& archivePath,
               QString* error, const std::function<void()>& replacing)
{
    const QString temporary = archivePath + QStringLiteral(".parziale");
    // What a run killed here left: the archive being written, and the zip library's own work file.
    const QFileInfo info(temporary);
    for (const QString& left :
         info.dir().entryList({info.fileName(), info.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden))
        QFile::remove(info.dir().filePath(left));
    int code = 0;
    zip_t* raw = zip_open(nativepath::utf8(temporary).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!raw) {
        setError(error, msg::backup::zipError(code));
        return false;
    }
    Archive archive(raw);
    const auto add = [&](const QString& path, const QString& name) {
        zip_error_t sourceError;
        zip_error_init(&sourceError);
        zip_source_t* source = zip_source_file_create(nativepath::utf8(path).constData(), 0, -1, &sourceError);
        if (!source) {
            setError(error, msg::backup::zipError(zip_error_code_zip(&sourceError)));
            zip_error_fini(&sourceError);
            return false;
        }
        zip_error_fini(&sourceError);
        const zip_int64_t index = zip_file_add(raw, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            setError(error, libzipError(raw));
            return false;
        }
        if (zip_set_file_compression(raw, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, kLevel) != 0) {
            setError(error, libzipError(raw));
            return false;
        }
        return true;
    };
    if (!add(file, entryName))
        return false;
    for (const QString& path : alongside)
        if (!add(path, QFileInfo(path).fileName()))
            return false;
    if (zip_close(raw) != 0) {
        setError(error, libzipError(raw));
        QFile::remove(temporary);
        return false;
    }
    (void)archive.release(); // closed
    // On disk before it takes the old one's place, which it does in one step: at any moment the
    // path holds the old archive or the whole new one.
    if (!putInPlace(temporary, archivePath, replacing)) {
        setError(error, msg::backup::cannotWrite(archivePath));
        QFile::remove(temporary);
        return false;
    }
    return true;
}

bool listEntries(const QString& archivePath, QList<ZipEntry>& entries, QString* error)
{
    entries.clear();
    Archive archive = openForReading(archivePath, error);
    if (!archive)
        return false;
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0) {
            setError(error, libzipError(archive.get()));
            return false;
        }
        ZipEntry e;
        e.name = QString::fromUtf8(st.name);
        e.size = (st.valid & ZIP_STAT_SIZE) ? static_cast<qint64>(st.size) : 0;
        e.isDirectory = e.name.endsWith(QLatin1Char('/'));
        entries.append(e);
    }
    return true;
}

bool extractEntry(const QString& archivePath, const QString& entryName, const QString& target, qint64 maxBytes,
                  QString* error)
{
    Archive archive = openForReading(archivePath, error);
    if (!archive)
        return false;
    const zip_int64_t index = zip_name_locate(archive.get(), entryName.toUtf8().constData(), ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        setError(error, msg::backup::zipError(ZIP_ER_NOENT));
        return false;
    }
    zip_file_t* entry = zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(index), 0);
    if (!entry) {
        setError(error, libzipError(archive.get()));
        return false;
    }
    QSaveFile out(target);
    bool ok = out.open(QIODevice::WriteOnly);
    if (!ok)
        setError(error, msg::backup::cannotWrite(target));
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    qint64 written = 0;
    while (ok) {
        const zip_int64_t n = zip_fread(entry, buffer.data(), static_cast<zip_uint64_t>(buffer.size()));
        if (n < 0) {
            setError(error, msg::backup::zipError(zip_error_code_zip(zip_file_get_error(entry))));
            ok = false;
        } else if (n == 0) {
            break;
        } else if ((written += n) > maxBytes) {
            setError(error, msg::backup::zipError(ZIP_ER_INCONS));
            ok = false;
        } else if (out.write(buffer.constData(), n) != n) {
            setError(error, msg::backup::cannotWrite(target));
            ok = false;
        }
    }
    zip_fclose(entry);
    if (!ok) {
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        setError(error, msg::backup::cannotWrite(target));
        return false;
    }
    return true;
}

} // namespace vx::backup
