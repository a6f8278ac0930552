#pragma once
// Zip archives of one database file: packing it under a name, listing an archive, and taking one
// entry out of it. An archive or a file is written under a temporary name, flushed to disk and
// renamed over the old one in one step, so a failure or a crash never leaves half of one, or none,
// where the user expects the whole. Failures are told in Italian.
// Entries are never written by their own name: the caller names the target, so an entry called
// "../x" or "/x" cannot land outside the folder the caller chose.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace vx::backup {

struct ZipEntry {
    QString name;
    qint64 size = 0;
    bool isDirectory = false;
};

// Packs `file` as the only entry `entryName` of a new archive at `archivePath` (an archive there
// is replaced only once the new one is whole). `replacing` is told as the new archive, whole,
// is about to take the place of the old.
bool packFile(const QString& file, const QString& entryName, const QString& archivePath, QString* error,
              const std::function<void()>& replacing = nullptr);
// The same with `alongside` packed after it, each under its own file name (the assistance's
// archive: the database's copy and the log).
bool packFiles(const QString& file, const QString& entryName, const QStringList& alongside, const QString& archivePath,
               QString* error, const std::function<void()>& replacing = nullptr);

// The archive's entries; false (and `error`) when it cannot be read as a zip archive.
bool listEntries(const QString& archivePath, QList<ZipEntry>& entries, QString* error);

// Writes the entry called `entryName` to `target`, refusing it when it unpacks to more than
// `maxBytes` (whatever the archive's directory said).
bool extractEntry(const QString& archivePath, const QString& entryName, const QString& target, qint64 maxBytes,
                  QString* error);

// True for a plain file name: no folder part, not "." or "..", nothing a path could be made of.
bool isPlainName(const QString& entryName);

} // namespace vx::backup
