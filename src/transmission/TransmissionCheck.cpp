#include "transmission/TransmissionCheck.h"

#include "core/Windows1252.h"
#include "roles/ImportVerification.h"
#include "roles/RoleCodes.h"
#include "roles/RoleColumns.h"
#include "roles/TaxCode.h"
#include "store/Database.h"
#include "store/Lookups.h"
#include "transmission/Messages.h"

#include <QHash>
#include <QStringDecoder>

namespace vx::transmission {

namespace {

const QString kSeparator = QStringLiteral("#,#");

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

// A whole number of digits only: what the writer puts in a numeric field.
bool isNumber(const QString& text)
{
    return !text.isEmpty() && roles::digitsOnly(text);
}

int roleOfWord(const QString& word)
{
    for (const roles::Role& role : roles::all()) {
        if (role.word == word)
            return role.code;
    }
    return 0;
}

// What the region needs of a whole record E to acquire it: the date of birth of 8 digits, the
// operator's code and the site as numbers, a role it knows. The person's own values are the
// agency's, as the card or the import accepted them, and travel unchanged: a stricter rule here
// would refuse a Request that is already printed, and so could never be corrected or sent.
void checkPerson(int row, const QStringList& e, CheckReport& report)
{
    Q_ASSERT(e.size() == kFieldsE);
    const QString& date = e.at(9);
    if (!isEightDigits(date))
        report.add(row, msg::transmission::notEightDigits(row, 10, date));
    for (const int field : {14, 16}) {
        if (!isNumber(e.at(field - 1)))
            report.add(row, msg::transmission::notANumber(row, field, e.at(field - 1)));
    }
    if (roleOfWord(e.at(16)) == 0)
        report.add(row, msg::transmission::unknownRole(row, e.at(16)));
}

// What identifies a person's record E of a Request: every field of the person, its operator,
// site and role (not the operator's name, which follows the registry).
QString personKey(const QStringList& e)
{
    QStringList key = e.mid(6, 8);
    key << e.at(15) << e.at(16);
    return key.join(QChar(0x1f));
}

struct PersonRecord {
    int row;
    QStringList fields;
};

// The persons of the file against the Request's rows in the database, when it holds the Request:
// the same persons, at sites the registry has.
void compareWithDatabase(Database& db, const QString& number, const QList<PersonRecord>& records, CheckReport& report)
{
    bool ok = false;
    const qint32 numDoma = number.toInt(&ok);
    const std::optional<bool> exists = ok ? requestExists(db, numDoma) : std::optional<bool>(false);
    QSqlQuery query = db.query();
    if (!exists || (*exists && !db.exec(query,
                                        QStringLiteral("SELECT ") + roles::columnList() +
                                            QStringLiteral(" FROM Ruoli WHERE NumDoma = ? ORDER BY Cognome, Nome"),
                                        {numDoma}))) {
        report.add(0, msg::transmission::databaseUnreadable(db.lastError().description));
        return;
    }
    if (!*exists)
        return;
    // A site the registry no longer has would be refused by the region with the whole file.
    const ImportVerification::SiteLookup hasSite = ImportVerification::registry(db);
    for (const PersonRecord& record : records) {
        const QStringList& e = record.fields;
        if (isNumber(e.at(13)) && isNumber(e.at(15)) && e.at(15).toInt() != 0 &&
            !hasSite(e.at(12), e.at(13).toInt(), e.at(15).toInt()))
            report.add(record.row, msg::transmission::unknownSite(record.row, e.at(12), e.at(13), e.at(15)));
    }
    QList<std::pair<QString, RolePerson>> stored;
    QHash<QString, int> remaining;
    while (query.next()) {
        const RolePerson person = roles::readRow(query);
        const QString key = personKey(recordE(number, QString(), QString(), person, QString(), QString()));
        stored.append({key, person});
        ++remaining[key];
    }
    for (const PersonRecord& record : records) {
        int& left = remaining[personKey(record.fields)];
        if (left > 0)
            --left;
        else
            report.add(record.row, msg::transmission::notInRequest(record.row, numDoma));
    }
    for (const auto& [key, person] : std::as_const(stored)) {
        int& left = remaining[key];
        if (left > 0) {
            --left;
            report.add(0, msg::transmission::missingPerson(person.codFiscale, person.cognome, person.nome));
        }
    }
}

// Bytes that read as UTF-8 and hold letters beyond ASCII: a file re-encoded by an editor.
bool isUtf8(const QByteArray& bytes)
{
    const bool beyondAscii = std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return c & 0x80; });
    if (!beyondAscii)
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(bytes);
    Q_UNUSED(decoded);
    return !utf8.hasError();
}

} // namespace

QStringList recordE(const QString& number, const QString& group, const QString& code, const RolePerson& p,
                    const QString& denomination, const QString& date)
{
    return QStringList{QStringLiteral("E"), number, kFileConstant, kEditionYear, group, code} +
           roles::writtenFields(p, denomination) + QStringList{date};
}

QString CheckReport::text(const QString& fileName) const
{
    if (passed())
        return msg::transmission::checkPassed(fileName, persons);
    return msg::transmission::checkFailed(fileName) + QStringLiteral("\r\n") + faults.join(QStringLiteral("\r\n"));
}

CheckReport checkFile(const QByteArray& bytes, Database* db)
{
    CheckReport report = checkText(windows1252::decode(bytes), db);
    if (isUtf8(bytes)) {
        report.faults.prepend(msg::transmission::text(msg::transmission::Text::Utf8Encoded));
        report.rows.prepend(0);
    }
    return report;
}

CheckReport checkText(const QString& text, Database* db)
{
    namespace m = msg::transmission;
    CheckReport report;
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (lines.size() < 2 || !lines.last().isEmpty()) {
        report.add(0, m::text(m::Text::NoFinalCrLf));
    } else {
        lines.removeLast();
    }

    QString number;           // the Request of record Z, which every other record repeats
    QHash<QString, int> seen; // an E record's identity -> its line
    QList<PersonRecord> persons;
    bool terminated = false;
    for (int i = 0; i < lines.size(); ++i) {
        const int row = i + 1;
        const QString& line = lines.at(i);
        if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            report.add(row, m::bareLineBreak(row));
        for (QChar c : line) {
            if (!windows1252::defines(c)) {
                report.add(row, m::notEncodable(row));
                break;
            }
        }
        if (terminated) {
            report.add(row, m::afterTerminator(row));
            continue;
        }
        if (line == QLatin1String(kTerminator)) {
            terminated = true;
            if (i < 3)
                report.add(row, m::terminatorBeforeHeader(row));
            else if (report.persons == 0)
                report.add(row, m::terminatorWithoutPersons(row));
            continue;
        }
        if (line.size() < 2 || !line.startsWith(QLatin1Char('#')) || !line.endsWith(QLatin1Char('#'))) {
            report.add(row, m::notEnclosed(row));
            continue;
        }
        const QStringList fields = line.mid(1, line.size() - 2).split(kSeparator);
        const QString type = fields.first();
        const int expected = type.size() == 1 ? expectedFields(type.at(0)) : 0;
        if (expected == 0 || (type == QLatin1String("Z") && i != 0)) {
            report.add(row, m::unknownRecord(row, type));
            continue;
        }
        const QChar wanted = i == 0   ? QLatin1Char('Z')
                             : i == 1 ? QLatin1Char('A')
                             : i == 2 ? QLatin1Char('B')
                                      : QLatin1Char('E');
        if (type.at(0) != wanted)
            report.add(row, m::outOfPlace(row, type, wanted));
        if (fields.size() != expected) {
            report.add(row, m::fieldCount(row, type, int(fields.size()), expected));
            continue;
        }
        // A reader on the region's side stops a field at its first "#".
        for (int f = 0; f < fields.size(); ++f) {
            if (fields.at(f).contains(QLatin1Char('#')))
                report.add(row, m::loneHash(row, f + 1));
        }
        const QString dateField = fields.at(creationDateField(type.at(0)) - 1);
        if (!isEightDigits(dateField))
            report.add(row, m::notEightDigits(row, expected, dateField));
        // The legal representative's birth date is written whole or not at all.
        if (type == QLatin1String("A") && !fields.at(14).isEmpty() && !isEightDigits(fields.at(14)))
            report.add(row, m::notEightDigits(row, 15, fields.at(14)));
        const QString requestNumber = type == QLatin1String("Z") ? fields.at(6) : fields.at(1);
        if (type == QLatin1String("Z"))
            number = requestNumber;
        else if (requestNumber != number)
            report.add(row, m::otherRequest(row, requestNumber, number));
        if (type == QLatin1String("E")) {
            ++report.persons;
            const QString identity =
                QStringList{fields.at(6), fields.at(12), fields.at(13), fields.at(15), fields.at(16)}.join(kSeparator);
            const auto earlier = seen.constFind(identity);
            if (earlier != seen.constEnd())
                report.add(row, m::repeatedPerson(row, *earlier));
            else
                seen.insert(identity, row);
            checkPerson(row, fields, report);
            persons.append({row, fields});
        }
    }
    if (lines.size() < 3 && !terminated)
        report.add(0, m::text(m::Text::MissingHeader));
    if (!terminated)
        report.add(0, m::text(m::Text::MissingTerminator));
    if (db && !number.isEmpty())
        compareWithDatabase(*db, number, persons, report);
    return report;
}

} // namespace vx::transmission
