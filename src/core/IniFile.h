#pragma once
// The installation's INI file (VELTRANORPX.INI in the program folder).
//
// Section and key names compare without regard to case; a value is read trimmed and without
// enclosing double quotes, at most 254 characters of it (what a 255-character buffer holds).
// Writing changes or adds the one line of the key and keeps every other line as it was; the
// file is replaced atomically, so a crash or a full disk never leaves it half written. A line
// break inside a value is written as a blank, so that no value can plant a line of its own.
// Files are read as UTF-8 (Windows-1252 when they are not valid UTF-8), or as UTF-16 when they
// begin with its byte-order mark, and written back in the encoding they were read in.

#include <QString>
#include <QStringList>

#include <vector>

namespace vx {

class IniFile {
public:
    static constexpr int kBufferSize = 255;
    static inline const QString kDefaultName = QStringLiteral("VELTRANORPX.INI");

    // `programFolder` ends with a separator.
    explicit IniFile(QString programFolder);

    // A name without "." gets ".ini"; a name without a folder separator gets the program folder.
    void setNomeFile(const QString& name);
    QString nomeFile() const { return m_path; }
    // The whole file read once, for reading many keys.
    class Snapshot {
    public:
        QString value(const QString& section, const QString& key, const QString& defaultValue = QString()) const;

    private:
        friend class IniFile;
        // Each key line in file order, with its section: read once, looked up many times.
        struct Entry {
            QString section;
            QString key;
            QString value;
        };
        std::vector<Entry> m_entries;
    };
    Snapshot snapshot() const;
    QString programFolder() const { return m_programFolder; }

    QString read(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    int write(const QString& section, const QString& key, const QString& value);

    bool exists() const;

private:
    enum class Encoding { Utf8, Utf16Le, Utf16Be };
    QStringList readLines(QString* newline, Encoding* encoding) const;

    QString m_programFolder;
    QString m_path;
};

} // namespace vx
