#include "core/IniFile.h"

#include "core/Windows1252.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace vx {

namespace {

// A write is made in "<name>.XXXXXX" beside the file and renamed over it; a program killed in
// between leaves that file behind. Such files older than any write takes are cleared by the next
// write (one a moment old may be another workstation's, writing now).
void removeStaleSaves(const QString& path)
{
    const QFileInfo target(path);
    const QDir dir = target.absoluteDir();
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-60);
    for (const QFileInfo& f : dir.entryInfoList({target.fileName() + QStringLiteral(".??????")}, QDir::Files)) {
        if (f.lastModified().toUTC() < before)
            QFile::remove(f.absoluteFilePath());
    }
}


bool hasSeparator(const QString& text)
{
    return text.contains(QLatin1Char('/')) || text.contains(QLatin1Char('\\'));
}

// A header "[name]" gives the name; any other line gives a null text.
QString sectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

// A line "key=value" gives both; a comment or any other line gives false.
bool keyLine(const QString& line, QString* key, QString* value)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    *key = t.left(eq).trimmed();
    if (value)
        *value = t.mid(eq + 1).trimmed();
    return true;
}

bool isKeyLine(const QString& line, const QString& key, QString* value)
{
    QString found;
    return keyLine(line, &found, value) && found.compare(key, Qt::CaseInsensitive) == 0;
}

QString unquote(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

// Our own files are UTF-8; a file written by hand on another system may be Windows-1252, or
// UTF-16 with its byte-order mark (as some Windows editors save).
QString decodeText(const QByteArray& bytes, bool* utf16Le, bool* utf16Be)
{
    *utf16Le = bytes.startsWith("\xFF\xFE");
    *utf16Be = bytes.startsWith("\xFE\xFF");
    if (*utf16Le || *utf16Be) {
        QStringDecoder utf16(*utf16Le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return utf16.decode(bytes.mid(2));
    }
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        return windows1252::decode(body);
    return text;
}

} // namespace

IniFile::IniFile(QString programFolder) : m_programFolder(std::move(programFolder))
{
    setNomeFile(kDefaultName);
}

void IniFile::setNomeFile(const QString& name)
{
    QString path = name;
    if (!path.contains(QLatin1Char('.')))
        path += QStringLiteral(".ini");
    if (!hasSeparator(path))
        path = m_programFolder + path;
    m_path = path;
}

bool IniFile::exists() const
{
    return QFileInfo(m_path).isFile();
}

QStringList IniFile::readLines(QString* newline, Encoding* encoding) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool le = false;
    bool be = false;
    const QString text = decodeText(file.readAll(), &le, &be);
    if (encoding)
        *encoding = le ? Encoding::Utf16Le : be ? Encoding::Utf16Be : Encoding::Utf8;
    if (newline)
        *newline = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

IniFile::Snapshot IniFile::snapshot() const
{
    Snapshot s;
    QString section;
    bool inSection = false;
    for (const QString& line : readLines(nullptr, nullptr)) {
        const QString header = sectionOf(line);
        if (!header.isNull()) {
            section = header;
            inSection = true;
            continue;
        }
        QString key;
        QString value;
        if (inSection && keyLine(line, &key, &value))
            s.m_entries.push_back({section, key, unquote(value).left(kBufferSize - 1)});
    }
    return s;
}

QString IniFile::Snapshot::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    for (const Entry& e : m_entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0 && e.section.compare(section, Qt::CaseInsensitive) == 0)
            return e.value;
    }
    return defaultValue;
}

QString IniFile::read(const QString& section, const QString& key, const QString& defaultValue) const
{
    return snapshot().value(section, key, defaultValue);
}

int IniFile::write(const QString& section, const QString& key, const QString& rawValue)
{
    QString newline = QStringLiteral("\n");
    Encoding encoding = Encoding::Utf8;
    QStringList lines = readLines(&newline, &encoding);
    // A value is one line: a line break in it would start a key or a section of its own.
    QString value = rawValue;
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));

    qsizetype sectionStart = -1; // index of the header line
    qsizetype insertAt = -1;     // after the last non-blank line of the section
    qsizetype keyLine = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString header = sectionOf(lines[i]);
        if (!header.isNull()) {
            if (sectionStart >= 0)
                break;
            if (header.compare(section, Qt::CaseInsensitive) == 0) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionStart < 0)
            continue;
        if (!lines[i].trimmed().isEmpty())
            insertAt = i + 1;
        if (isKeyLine(lines[i], key, nullptr)) {
            keyLine = i;
            break;
        }
    }

    if (keyLine >= 0) {
        const QString original = lines[keyLine].trimmed();
        const QString keyName = original.left(original.indexOf(QLatin1Char('='))).trimmed();
        const QString line = keyName + QLatin1Char('=') + value;
        // Already so: the file is left as it is (the start writes the selected Request each time,
        // and a write that changes nothing still costs a sync of the disk).
        if (lines[keyLine] == line)
            return 1;
        lines[keyLine] = line;
    } else if (sectionStart >= 0) {
        lines.insert(insertAt, key + QLatin1Char('=') + value);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(key + QLatin1Char('=') + value);
    }

    removeStaleSaves(m_path);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    const QString text = lines.join(newline) + newline;
    if (encoding == Encoding::Utf8) {
        file.write(text.toUtf8());
    } else {
        QStringEncoder utf16(encoding == Encoding::Utf16Le ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                             QStringEncoder::Flag::WriteBom);
        file.write(utf16.encode(text));
    }
    return file.commit() ? 1 : 0;
}

} // namespace vx
