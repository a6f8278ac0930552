#include "refdata/DeliveredFile.h"

#include "core/DeliveredText.h"
#include "refdata/Messages.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace vx::refdata {

FieldViews splitFieldViews(QStringView rawLine)
{
    const QStringView line = rawLine.trimmed();
    FieldViews fields;
    qsizetype at = 1;
    while (at < line.size() && fields.size() < kMaxFields) {
        const qsizetype end = line.indexOf(QLatin1Char('#'), at);
        if (end < 0) {
            fields.append(line.mid(at));
            break;
        }
        fields.append(line.mid(at, end - at));
        at = end + 3;
    }
    return fields;
}

QStringList splitFields(const QString& line)
{
    QStringList fields;
    for (QStringView field : splitFieldViews(line))
        fields.append(field.toString());
    return fields;
}

bool isWholeRow(QStringView line)
{
    const QStringView t = line.trimmed();
    return t.size() >= 2 && t.front() == u'#' && t.back() == u'#';
}

std::optional<qint64> wholeNumber(QStringView field, qint64 min, qint64 max)
{
    Q_ASSERT(min <= 0 && max >= 0);
    const QStringView t = field.trimmed();
    const bool negative = min < 0 && t.startsWith(u'-');
    const qint64 limit = negative ? -(min + 1) + 1 : max; // the magnitude allowed, without overflow
    qsizetype at = negative ? 1 : 0;
    const qsizetype digitsFrom = at;
    qint64 value = 0;
    for (; at < t.size() && t[at] >= u'0' && t[at] <= u'9'; ++at) {
        value = value * 10 + (t[at].unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    if (at == digitsFrom)
        return std::nullopt;
    if (at < t.size() && t[at] == u'.')
        for (++at; at < t.size() && t[at] == u'0';)
            ++at;
    if (at != t.size())
        return std::nullopt;
    return negative ? -value : value;
}

std::optional<double> realNumber(QStringView field)
{
    bool ok = false;
    const double value = field.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool DeliveredFile::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    m_text = delivered::decode(file.readAll());
    m_lines = delivered::lines(m_text);
    return file.error() == QFileDevice::NoError;
}

QList<FileLine> DeliveredFile::rows(int skip) const
{
    QList<FileLine> out;
    out.reserve(m_lines.size());
    // A line of blanks and control characters alone (the end-of-file mark some older programs
    // append, say) is no row.
    const auto blank = [](QStringView line) {
        return std::all_of(line.begin(), line.end(), [](QChar c) { return c.isSpace() || c.unicode() < 0x20; });
    };
    for (qsizetype i = skip; i < m_lines.size(); ++i) {
        if (!blank(m_lines.at(i)))
            out.append({int(i + 1), m_lines.at(i)});
    }
    return out;
}

QString DeliveredFile::firstBrokenRow(const QList<FileLine>& rows)
{
    for (const FileLine& row : rows) {
        const QString fault = rowFault(row);
        if (!fault.isEmpty())
            return fault;
    }
    return QString();
}

QString rowFault(const FileLine& row)
{
    if (!isWholeRow(row.text))
        return msg::refdata::notARow(row.number);
    // A control character inside a value (a NUL, a stray escape) is no text of the region: stored,
    // it would break the server's copy, the transmission and the documents.
    const QStringView t = row.text.trimmed();
    const auto control = std::find_if(t.begin(), t.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
    if (control != t.end())
        return msg::refdata::controlCharacter(row.number, control->unicode());
    return QString();
}

void moveInto(const QString& programFolder, const QString& folder, const QString& path, const QString& name)
{
    QDir dir(programFolder);
    dir.mkpath(folder);
    const QString target = dir.filePath(folder + QLatin1Char('/') + name);
    QFile::remove(target);
    if (!QFile::rename(path, target) && QFile::copy(path, target))
        QFile::remove(path);
}

} // namespace vx::refdata
