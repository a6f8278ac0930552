#pragma once
// The installation's INI file (VELTRANORPX.INI in the program folder).
//
// Section and key names compare without regard to case; a value is read trimmed and without
// enclosing double quotes, at most 254 characters of it (what a 255-character buffer holds).
// Writing changes or adds the one line of the key and keeps every other line as it was; the
// file is replaced atomically, so a crash or a full disk never leaves it half written.

#include <QString>
#include <QStringList>

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
    void setSezione(const QString& section) { m_section = section; }
    QString sezione() const { return m_section; }

    QString leggi(const QString& key, const QString& defaultValue = QString()) const;
    // Non-zero on success.
    int scrivi(const QString& key, const QString& value);

    QString read(const QString& section, const QString& key, const QString& defaultValue = QString()) const;
    int write(const QString& section, const QString& key, const QString& value);

    bool exists() const;

private:
    QStringList readLines(QString* newline) const;

    QString m_programFolder;
    QString m_path;
    QString m_section;
};

} // namespace vx
