#include "app/IniFile.h"

#include "store/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace vx {

namespace {

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

bool isKeyLine(const QString& line, const QString& key, QString* value)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq < 0 || t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value)
        *value = t.mid(eq + 1).trimmed();
    return true;
}

QString unquote(const QString& value)
{
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

// Our own files are UTF-8; a file written by hand on another system may be Windows-1252.
QString decodeText(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return windows1252::decode(bytes);
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

QStringList IniFile::readLines(QString* newline) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = decodeText(file.readAll());
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

QString IniFile::leggi(const QString& key, const QString& defaultValue) const
{
    return read(m_section, key, defaultValue);
}

int IniFile::scrivi(const QString& key, const QString& value)
{
    return write(m_section, key, value);
}

QString IniFile::read(const QString& section, const QString& key, const QString& defaultValue) const
{
    bool inSection = false;
    for (const QString& line : readLines(nullptr)) {
        const QString header = sectionOf(line);
        if (!header.isNull()) {
            inSection = header.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        QString value;
        if (inSection && isKeyLine(line, key, &value))
            return unquote(value).left(kBufferSize - 1);
    }
    return defaultValue;
}

int IniFile::write(const QString& section, const QString& key, const QString& value)
{
    QString newline = QStringLiteral("\n");
    QStringList lines = readLines(&newline);

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
        lines[keyLine] = keyName + QLatin1Char('=') + value;
    } else if (sectionStart >= 0) {
        lines.insert(insertAt, key + QLatin1Char('=') + value);
    } else {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        lines.append(key + QLatin1Char('=') + value);
    }

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(lines.join(newline).toUtf8());
    file.write(newline.toUtf8());
    return file.commit() ? 1 : 0;
}

} // namespace vx
