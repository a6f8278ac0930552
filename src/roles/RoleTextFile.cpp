#include "roles/RoleTextFile.h"

#include "core/Windows1252.h"
#include "roles/RoleCodes.h"

#include <QStringDecoder>

namespace vx::roletext {

QString fileName(qint32 numDoma)
{
    return QStringLiteral("ExportRuoli_%1.txt").arg(numDoma);
}

QStringList readFields(QStringView line, bool* malformed)
{
    const QStringView text = line.trimmed();
    QStringList fields;
    bool tooMany = false;
    QString current;
    bool open = false;
    for (qsizetype i = 1; i < text.size();) {
        if (!open) {
            if (fields.size() == kSlots) {
                tooMany = true;
                break;
            }
            open = true;
        }
        if (text[i] == QLatin1Char('#')) {
            fields.append(current);
            current.clear();
            open = false;
            i += 3;
        } else {
            current.append(text[i]);
            ++i;
        }
    }
    if (open)
        fields.append(current);
    Q_ASSERT(fields.size() <= kSlots);
    if (malformed)
        *malformed = tooMany;
    return fields;
}

QString writeLine(const QStringList& fields)
{
    return QLatin1Char('#') + fields.join(QLatin1String("#,#")) + QLatin1Char('#');
}

QString decode(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF"))
        view = view.sliced(3);
    bool ascii = true;
    for (char c : view) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (!ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(view);
        if (!utf8.hasError())
            return text;
    }
    return windows1252::decode(view.toByteArray());
}

QStringList lines(const QString& text)
{
    // CR LF, LF and CR alone (older office programs) each end a line.
    QStringList out;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != QLatin1Char('\n') && text[end] != QLatin1Char('\r'))
            ++end;
        out.append(text.mid(start, end - start));
        if (end + 1 < n && text[end] == QLatin1Char('\r') && text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return out;
}

QStringList fieldsOf(const RolePerson& p, const QString& group, qint32 code, const QString& operatorName)
{
    return {QString::number(p.numDoma),
            group,
            QString::number(code),
            p.codFiscale,
            p.cognome,
            p.nome,
            p.gg + p.mm + p.aaaa,
            p.email,
            p.tel,
            p.gruppo,
            QString::number(p.codice),
            operatorName,
            QString::number(p.sede),
            roles::word(p.ruolo)};
}

QList<ImportedRow> read(const QByteArray& bytes)
{
    QList<ImportedRow> rows;
    const QStringList all = lines(decode(bytes));
    rows.reserve(all.size());
    for (const QString& line : all) {
        ImportedRow row;
        QStringList f = readFields(line, &row.malformed);
        while (f.size() < kFields)
            f.append(QString());
        RolePerson& p = row.person;
        p.codFiscale = f[3];
        p.cognome = f[4];
        p.nome = f[5];
        p.gg = f[6].mid(0, 2);
        p.mm = f[6].mid(2, 2);
        p.aaaa = f[6].mid(4, 4);
        p.email = f[7];
        p.tel = f[8];
        p.gruppo = f[9];
        row.setNumbers(f[10], f[12]);
        p.ruolo = importedRole(f[13]);
        rows.append(row);
    }
    return rows;
}

} // namespace vx::roletext
