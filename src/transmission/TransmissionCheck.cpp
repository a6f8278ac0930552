#include "transmission/TransmissionCheck.h"

#include "core/Windows1252.h"

#include <QHash>

namespace vx::transmission {

namespace {

const QString kSeparator = QStringLiteral("#,#");

// The bytes the code page leaves undefined decode to these C1 controls; the region cannot read them.
bool encodable(QChar c)
{
    const char16_t u = c.unicode();
    if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D)
        return false;
    return windows1252::codeOf(c) >= 0;
}

int expectedFields(QChar type)
{
    switch (type.toLatin1()) {
    case 'Z':
        return kFieldsZ;
    case 'A':
        return kFieldsA;
    case 'B':
        return kFieldsB;
    case 'E':
        return kFieldsE;
    default:
        return 0;
    }
}

bool isEightDigits(const QString& text)
{
    if (text.size() != 8)
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// The 1-based positions of the creation date in each record type.
int creationDateField(QChar type)
{
    return expectedFields(type);
}

} // namespace

QString CheckReport::text(const QString& fileName) const
{
    if (passed())
        return QStringLiteral("Controllo del file di trasmissione %1: superato.\r\nPersone (record E): %2")
            .arg(fileName)
            .arg(persons);
    return QStringLiteral("Controllo del file di trasmissione %1: NON superato.\r\n").arg(fileName) +
           faults.join(QStringLiteral("\r\n"));
}

CheckReport checkFile(const QByteArray& bytes)
{
    return checkText(windows1252::decode(bytes));
}

CheckReport checkText(const QString& text)
{
    CheckReport report;
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.size() < 2 || !lines.last().isEmpty()) {
        report.faults << QStringLiteral("Il file non termina con CR LF.");
    } else {
        lines.removeLast();
    }

    QString number;           // the Request of record Z, which every other record repeats
    QHash<QString, int> seen; // an E record's identity -> its line
    bool terminated = false;
    for (int i = 0; i < lines.size(); ++i) {
        const int row = i + 1;
        const QString& line = lines.at(i);
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            report.faults << QStringLiteral("Riga %1: ritorno a capo senza la coppia CR LF.").arg(row);
        for (QChar c : line) {
            if (!encodable(c)) {
                report.faults << QStringLiteral("Riga %1: carattere non codificabile in Windows-1252.").arg(row);
                break;
            }
        }
        if (terminated) {
            report.faults << QStringLiteral("Riga %1: testo dopo la riga finale %2.").arg(row).arg(kTerminator);
            continue;
        }
        if (line == QLatin1String(kTerminator)) {
            terminated = true;
            if (i < 3)
                report.faults << QStringLiteral("Riga %1: riga finale prima dei record Z, A e B.").arg(row);
            else if (report.persons == 0)
                report.faults << QStringLiteral("Riga %1: riga finale senza alcun record E.").arg(row);
            continue;
        }
        if (line.size() < 2 || !line.startsWith(QLatin1Char('#')) || !line.endsWith(QLatin1Char('#'))) {
            report.faults << QStringLiteral("Riga %1: il record non è racchiuso tra due #.").arg(row);
            continue;
        }
        const QStringList fields = line.mid(1, line.size() - 2).split(kSeparator);
        const QString type = fields.first();
        const int expected = type.size() == 1 ? expectedFields(type.at(0)) : 0;
        if (expected == 0 || (type == QLatin1String("Z") && i != 0)) {
            report.faults << QStringLiteral("Riga %1: record di tipo \"%2\" sconosciuto.").arg(row).arg(type);
            continue;
        }
        const QChar wanted = i == 0   ? QLatin1Char('Z')
                             : i == 1 ? QLatin1Char('A')
                             : i == 2 ? QLatin1Char('B')
                                      : QLatin1Char('E');
        if (type.at(0) != wanted)
            report.faults << QStringLiteral("Riga %1: record %2 fuori posto (atteso il record %3).")
                                 .arg(row)
                                 .arg(type)
                                 .arg(wanted);
        if (fields.size() != expected) {
            report.faults << QStringLiteral("Riga %1: il record %2 ha %3 campi invece di %4.")
                                 .arg(row)
                                 .arg(type)
                                 .arg(fields.size())
                                 .arg(expected);
            continue;
        }
        const QString dateField = fields.at(creationDateField(type.at(0)) - 1);
        if (!isEightDigits(dateField))
            report.faults << QStringLiteral("Riga %1, campo %2: la data \"%3\" non è di 8 cifre.")
                                 .arg(row)
                                 .arg(expected)
                                 .arg(dateField);
        // The legal representative's birth date is written whole or not at all.
        if (type == QLatin1String("A") && !fields.at(14).isEmpty() && !isEightDigits(fields.at(14)))
            report.faults
                << QStringLiteral("Riga %1, campo 15: la data \"%2\" non è di 8 cifre.").arg(row).arg(fields.at(14));
        const QString requestNumber = type == QLatin1String("Z") ? fields.at(6) : fields.at(1);
        if (type == QLatin1String("Z"))
            number = requestNumber;
        else if (requestNumber != number)
            report.faults << QStringLiteral("Riga %1: domanda %2 diversa da quella del record Z (%3).")
                                 .arg(row)
                                 .arg(requestNumber, number);
        if (type == QLatin1String("E")) {
            ++report.persons;
            const QString identity =
                QStringList{fields.at(6), fields.at(12), fields.at(13), fields.at(15), fields.at(16)}.join(kSeparator);
            const auto earlier = seen.constFind(identity);
            if (earlier != seen.constEnd())
                report.faults
                    << QStringLiteral("Riga %1: record E ripetuto (già alla riga %2).").arg(row).arg(*earlier);
            else
                seen.insert(identity, row);
        }
    }
    if (lines.size() < 3 && !terminated)
        report.faults << QStringLiteral("Mancano i record Z, A e B.");
    if (!terminated)
        report.faults << QStringLiteral("Manca la riga finale %1.").arg(kTerminator);
    return report;
}

} // namespace vx::transmission
