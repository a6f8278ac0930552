#include "roles/RoleTextFile.h"

#include "core/DeliveredText.h"
#include "roles/RoleCodes.h"

namespace vx::roles {

QString textFileName(qint32 numDoma)
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
            if (fields.size() == kTextSlots) {
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
    Q_ASSERT(fields.size() <= kTextSlots);
    if (malformed)
        *malformed = tooMany;
    return fields;
}

QString writeLine(const QStringList& fields)
{
    return QLatin1Char('#') + fields.join(QLatin1String("#,#")) + QLatin1Char('#');
}

QStringList fieldsOf(const RolePerson& p, const QString& group, qint32 code, const QString& operatorName)
{
    return QStringList{QString::number(p.numDoma), group, QString::number(code)} +
           roles::writtenFields(p, operatorName);
}

QList<ImportedRow> readTextFile(const QByteArray& bytes)
{
    QList<ImportedRow> rows;
    const QString text = delivered::decode(bytes);
    const QList<QStringView> all = delivered::lines(text);
    rows.reserve(all.size());
    PerText<int> numbers;
    for (const QStringView line : all) {
        ImportedRow row;
        QStringList f = readFields(line, &row.malformed);
        while (f.size() < kTextFields)
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
        row.setNumbers(f[10], 0, f[12], numbers);
        p.ruolo = importedRole(f[13]);
        rows.append(row);
    }
    return rows;
}

} // namespace vx::roles
