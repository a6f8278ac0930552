#include "roles/ImportVerification.h"

#include "core/Windows1252.h"
#include "roles/Messages.h"
#include "roles/RoleCodes.h"
#include "roles/TaxCode.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace vx {

namespace {

using msg::roles::ReportFault;

QString line(ReportFault fault)
{
    return msg::roles::reportFault(fault);
}

bool isDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

bool isCapital(QChar c)
{
    return c.unicode() >= 'A' && c.unicode() <= 'Z';
}

// The characters a surname or name may not hold besides digits. Control characters among them:
// they would reach the transmission file and the spreadsheet export, which could no longer be
// read back; and so are the characters the transmission file's code page cannot carry, which
// would make a Request that could never be sent.
bool forbiddenInName(QChar c)
{
    static const QString forbidden = QStringLiteral("#@-!£$%&/()=?^;:,._§*+");
    return isDigit(c) || forbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f || !windows1252::defines(c);
}

// The digits of an operator code that count: "000123" is the code 123, of three digits.
qsizetype significantDigits(QStringView text)
{
    qsizetype zeros = 0;
    while (zeros < text.size() - 1 && text[zeros] == QLatin1Char('0'))
        ++zeros;
    return text.size() - zeros;
}

// The number of two code positions, letters of the omocodia read as the digits they stand for;
// -1 when either is neither or missing.
int codeNumber(const QString& cf, int from)
{
    if (cf.size() < from + 2)
        return -1;
    const int tens = roles::omocodeDigit(cf[from]);
    const int units = roles::omocodeDigit(cf[from + 1]);
    return tens < 0 || units < 0 ? -1 : tens * 10 + units;
}

// The value of a date text made of digits only (0 when empty); -1 when any other character is in
// it, whose faults the digit check reports already.
qint64 dateValue(const QString& text)
{
    if (!roles::digitsOnly(text))
        return -1;
    bool ok = false;
    const qint64 v = text.isEmpty() ? 0 : text.toLongLong(&ok);
    return text.isEmpty() || ok ? v : std::numeric_limits<qint64>::max();
}

// The digit, length and value checks of one date part; its value, or -1 when it failed any.
qint64 checkDatePart(const QString& text, int width, ReportFault lengthLine, qint64 below, qint64 above,
                     QStringList& faults)
{
    bool failed = false;
    if (text.size() != width) {
        faults.append(line(lengthLine));
        failed = true;
    }
    for (QChar c : text) {
        if (!isDigit(c)) {
            faults.append(line(ReportFault::DateFormat));
            failed = true;
        }
    }
    const qint64 v = dateValue(text);
    if (v >= 0) {
        if (v > above) {
            faults.append(line(ReportFault::DateFormat));
            failed = true;
        }
        if (v < below) {
            faults.append(line(ReportFault::DateFormat));
            failed = true;
        }
    }
    return failed ? -1 : v;
}

struct DuplicateKey {
    QString codFiscale;
    qint32 sede;
    qint32 ruolo;
    bool operator==(const DuplicateKey&) const = default;
};

size_t qHash(const DuplicateKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.codFiscale, k.sede, k.ruolo);
}

} // namespace

ImportVerification::ImportVerification(QString group, qint32 code, int currentYear, SiteLookup sites)
    : m_group(std::move(group)), m_code(code), m_currentYear(currentYear), m_sites(std::move(sites))
{
}

// The checks of one row's texts that depend on that text alone, each done once per distinct long
// text of the file.
namespace {

// An address's report lines, and whether a character it may not hold is among them.
struct EmailFaults {
    QStringList lines;
    bool forbiddenCharacter = false;
};

} // namespace

struct ImportVerification::Checked {
    PerText<QStringList> surnames, names, telephones;
    PerText<EmailFaults> emails;
    PerText<QString> surnameCodes, nameCodes;
    PerText<int> codes, sites; // bit 0: a number; bit 1: more than five significant digits
};

namespace {

// A row's report: one line per fault, in the order found, however many characters show it.
class Faults {
public:
    explicit Faults(QStringList& lines) : m_lines(lines) {}
    void add(const QString& l)
    {
        if (!m_lines.contains(l))
            m_lines.append(l);
    }
    void add(ReportFault fault) { add(line(fault)); }
    void add(const QStringList& lines)
    {
        for (const QString& l : lines)
            add(l);
    }

private:
    QStringList& m_lines;
};

QStringList nameFaults(QStringView name, ReportFault lengthLine, ReportFault characterLine)
{
    QStringList faults;
    if (name.size() < 2 || name.size() > 50)
        faults.append(line(lengthLine));
    if (std::any_of(name.begin(), name.end(), forbiddenInName))
        faults.append(line(characterLine));
    return faults;
}

EmailFaults emailFaults(QStringView e)
{
    EmailFaults result;
    Faults faults(result.lines);
    if (e.size() > 80)
        faults.add(ReportFault::EmailLength);
    if (!e.contains(QLatin1Char('@')))
        faults.add(ReportFault::EmailNoAt);
    if (!e.contains(QLatin1Char('.')))
        faults.add(ReportFault::EmailNoDot);
    if (e.contains(QLatin1String("@.")))
        faults.add(ReportFault::EmailAtDot);
    if (e.startsWith(QLatin1Char('.')) || e.endsWith(QLatin1Char('.')) || e.startsWith(QLatin1Char('@')) ||
        e.endsWith(QLatin1Char('@')))
        faults.add(ReportFault::EmailFormat);
    if (!e.isEmpty()) {
        if (!isLetter(e.back()) && !isDigit(e.back()))
            faults.add(ReportFault::EmailFormat);
        if (!isLetter(e.front()) && !isDigit(e.front()))
            faults.add(ReportFault::EmailFormat);
    }
    // Each character the address may not hold is named once, after the other faults.
    for (qsizetype i = roles::emailCharacters(e) ? e.size() : 0; i < e.size(); ++i) {
        if (!roles::emailCharacters(e.mid(i, 1))) {
            faults.add(msg::roles::reportEmailCharacter(e[i]));
            result.forbiddenCharacter = true;
        }
    }
    return result;
}

QStringList telephoneFaults(QStringView tel)
{
    QStringList faults;
    if (tel.size() > 20)
        faults.append(line(ReportFault::TelLength));
    if (!std::all_of(tel.begin(), tel.end(), isDigit))
        faults.append(line(ReportFault::TelDigit));
    return faults;
}

int numberTraits(QStringView text)
{
    bool number = false;
    (void)text.toInt(&number); // only whether it is a number
    return (number ? 1 : 0) | (significantDigits(text) > 5 ? 2 : 0);
}

} // namespace

ImportReport ImportVerification::verify(const QList<ImportedRow>& rows) const
{
    QHash<DuplicateKey, int> keys;
    keys.reserve(rows.size());
    for (const ImportedRow& r : rows)
        ++keys[{r.person.codFiscale, r.person.sede, r.person.ruolo}];

    ImportReport report;
    Checked checked;
    QStringList faults;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const RolePerson& p = rows[i].person;
        faults.clear();
        // Every row's key was counted above, itself among them.
        Q_ASSERT(keys.value({p.codFiscale, p.sede, p.ruolo}) >= 1);
        verifyRow(rows[i], keys.value({p.codFiscale, p.sede, p.ruolo}) > 1, checked, faults,
                  report.forbiddenEmailCharacter);
        for (const QString& f : faults)
            report.lines.append(msg::roles::reportLine(int(i + 1), f));
    }
    return report;
}

void ImportVerification::verifyRow(const ImportedRow& row, bool duplicate, Checked& checked, QStringList& lines,
                                   bool& forbiddenEmail) const
{
    Faults faults(lines);
    const RolePerson& p = row.person;
    const QString& cf = p.codFiscale;

    if (row.malformed)
        faults.add(ReportFault::Malformed);
    if (duplicate)
        faults.add(ReportFault::Duplicate);

    if (cf.size() != 16)
        faults.add(ReportFault::CodFiscale);
    if (roles::checkCharacter(cf) != cf.mid(15, 1))
        faults.add(ReportFault::CodFiscale);
    const auto code = [](QString (*of)(const QString&)) { return [of](QStringView t) { return of(t.toString()); }; };
    if (cf.mid(0, 3) != checked.surnameCodes.of(p.cognome, code(roles::surnameCode)))
        faults.add(ReportFault::CodFiscale);
    if (cf.mid(3, 3) != checked.nameCodes.of(p.nome, code(roles::nameCode)))
        faults.add(ReportFault::CodFiscale);
    const int codeYear = codeNumber(cf, 6);
    const int year = roles::fixedDigits(p.aaaa, 4);
    if (codeYear < 0 || year < 0 || codeYear != year % 100)
        faults.add(ReportFault::AnnoAgainstCode);
    const QString monthLetter = roles::monthLetter(p.mm);
    if (monthLetter.isEmpty() || cf.mid(8, 1) != monthLetter)
        faults.add(ReportFault::MeseAgainstCode);
    const int codeDay = codeNumber(cf, 9);
    const int day = roles::fixedDigits(p.gg, 2);
    if (codeDay < 0 || day < 0 || (codeDay < 40 ? codeDay != day : codeDay != day + 40))
        faults.add(ReportFault::GiornoAgainstCode);
    for (int i = 0; i < qMin<qsizetype>(cf.size(), 16); ++i) {
        const bool letterOnly = i < 6 || i == 8 || i == 11 || i == 15;
        if (letterOnly ? !isCapital(cf[i]) : !(isCapital(cf[i]) || isDigit(cf[i]))) {
            faults.add(ReportFault::CodFiscale);
            break;
        }
    }

    faults.add(checked.surnames.of(p.cognome, [](QStringView t) {
        return nameFaults(t, ReportFault::CognomeLength, ReportFault::CognomeCharacter);
    }));
    faults.add(checked.names.of(
        p.nome, [](QStringView t) { return nameFaults(t, ReportFault::NomeLength, ReportFault::NomeCharacter); }));

    QStringList dateFaults;
    const qint64 dd = checkDatePart(p.gg, 2, ReportFault::GiornoLength, 1, 31, dateFaults);
    const qint64 mm = checkDatePart(p.mm, 2, ReportFault::MeseLength, 1, 12, dateFaults);
    const qint64 yyyy = checkDatePart(p.aaaa, 4, ReportFault::AnnoLength, 1900, m_currentYear - 17, dateFaults);
    // A day beyond its month's length (31 April, 29 February of a common year) is no date either.
    if (dd > 0 && mm > 0 && yyyy > 0 && !roles::dayInMonth(int(dd), int(mm), int(yyyy)))
        dateFaults.append(line(ReportFault::DateFormat));
    faults.add(dateFaults);

    const EmailFaults email = checked.emails.of(p.email, emailFaults);
    faults.add(email.lines);
    forbiddenEmail = forbiddenEmail || email.forbiddenCharacter;

    faults.add(checked.telephones.of(p.tel, telephoneFaults));

    if (p.gruppo.size() != 1)
        faults.add(ReportFault::Group);
    if (p.gruppo.isEmpty() || !QStringLiteral("ABCDEF").contains(p.gruppo.back()))
        faults.add(ReportFault::Group);
    const int codice = checked.codes.of(row.codice(), numberTraits);
    if (codice & 2)
        faults.add(ReportFault::CodiceLength);
    if (p.gruppo != m_group || !(codice & 1) || p.codice != m_code)
        faults.add(ReportFault::Operatore);

    const bool siteIsNumber = checked.sites.of(row.sedeText, numberTraits) & 1;
    if (!siteIsNumber || (p.sede != 0 && !(m_sites && m_sites(p.gruppo, p.codice, p.sede))))
        faults.add(ReportFault::Sede);

    if (!roles::find(p.ruolo))
        faults.add(ReportFault::Ruolo);
    else if (roles::atAgency(p.ruolo) && p.sede != 0)
        faults.add(ReportFault::RuoloAtAgency);
    else if (!roles::atAgency(p.ruolo) && p.sede == 0)
        faults.add(ReportFault::RuoloAtSite);
}

ImportVerification::SiteLookup ImportVerification::registry(Database& db)
{
    auto cache = std::make_shared<QHash<QPair<QString, qint32>, QSet<qint32>>>();
    return [&db, cache](const QString& group, qint32 code, qint32 site) {
        const QPair<QString, qint32> op(group, code);
        auto it = cache->find(op);
        if (it == cache->end()) {
            QSet<qint32> sites;
            QSqlQuery q = db.query();
            q.setForwardOnly(true);
            if (db.exec(q, QStringLiteral("SELECT Componente FROM CorsiCompo WHERE GrupOpe = ? AND Operatore = ?"),
                        {group, code})) {
                while (q.next())
                    sites.insert(q.value(0).toInt());
            }
            it = cache->insert(op, sites);
        }
        return it->contains(site);
    };
}

QString ImportVerification::writeReport(const QString& folder, const ImportReport& report, bool* written)
{
    const QString path = QDir(folder).filePath(kReportFile);
    if (written)
        *written = true;
    if (report.passed()) {
        QFile::remove(path);
        return QString();
    }
    QSaveFile file(path);
    QByteArray bytes;
    for (const QString& line : report.lines)
        bytes += line.toUtf8() + "\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (written)
            *written = false;
        return QString();
    }
    return QDir::toNativeSeparators(path);
}

} // namespace vx
