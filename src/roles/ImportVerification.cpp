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
qsizetype significantDigits(const QString& text)
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
    const int tens = taxcode::omocodeDigit(cf[from]);
    const int units = taxcode::omocodeDigit(cf[from + 1]);
    return tens < 0 || units < 0 ? -1 : tens * 10 + units;
}

// The value of a date text made of digits only (0 when empty); -1 when any other character is in
// it, whose faults the digit check reports already.
qint64 dateValue(const QString& text)
{
    if (!taxcode::digitsOnly(text))
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

ImportReport ImportVerification::verify(const QList<ImportedRow>& rows) const
{
    QHash<DuplicateKey, int> keys;
    keys.reserve(rows.size());
    for (const ImportedRow& r : rows)
        ++keys[{r.person.codFiscale, r.person.sede, r.person.ruolo}];

    ImportReport report;
    QStringList faults;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const RolePerson& p = rows[i].person;
        faults.clear();
        // Every row's key was counted above, itself among them.
        Q_ASSERT(keys.value({p.codFiscale, p.sede, p.ruolo}) >= 1);
        verifyRow(rows[i], keys.value({p.codFiscale, p.sede, p.ruolo}) > 1, faults, report.forbiddenEmailCharacter);
        if (faults.isEmpty())
            continue;
        for (const QString& f : faults)
            report.lines.append(msg::roles::reportLine(int(i + 1), f));
    }
    return report;
}

void ImportVerification::verifyRow(const ImportedRow& row, bool duplicate, QStringList& faults,
                                   bool& forbiddenEmail) const
{
    const RolePerson& p = row.person;
    const QString& cf = p.codFiscale;

    if (row.malformed)
        faults.append(line(ReportFault::Malformed));
    if (duplicate)
        faults.append(line(ReportFault::Duplicate));

    if (cf.size() != 16)
        faults.append(line(ReportFault::CodFiscale));
    if (taxcode::checkCharacter(cf) != cf.mid(15, 1))
        faults.append(line(ReportFault::CodFiscale));
    if (cf.mid(0, 3) != taxcode::surnameCode(p.cognome))
        faults.append(line(ReportFault::CodFiscale));
    if (cf.mid(3, 3) != taxcode::nameCode(p.nome))
        faults.append(line(ReportFault::CodFiscale));
    const int codeYear = codeNumber(cf, 6);
    const int year = taxcode::fixedDigits(p.aaaa, 4);
    if (codeYear < 0 || year < 0 || codeYear != year % 100)
        faults.append(line(ReportFault::AnnoAgainstCode));
    const QString monthLetter = taxcode::monthLetter(p.mm);
    if (monthLetter.isEmpty() || cf.mid(8, 1) != monthLetter)
        faults.append(line(ReportFault::MeseAgainstCode));
    const int codeDay = codeNumber(cf, 9);
    const int day = taxcode::fixedDigits(p.gg, 2);
    if (codeDay < 0 || day < 0 || (codeDay < 40 ? codeDay != day : codeDay != day + 40))
        faults.append(line(ReportFault::GiornoAgainstCode));
    for (int i = 0; i < qMin<qsizetype>(cf.size(), 16); ++i) {
        const bool letterOnly = i < 6 || i == 8 || i == 11 || i == 15;
        if (letterOnly ? !isCapital(cf[i]) : !(isCapital(cf[i]) || isDigit(cf[i]))) {
            faults.append(line(ReportFault::CodFiscale));
            break;
        }
    }

    const auto checkName = [&](const QString& name, ReportFault lengthLine, ReportFault characterLine) {
        if (name.size() < 2 || name.size() > 50)
            faults.append(line(lengthLine));
        for (QChar c : name) {
            if (forbiddenInName(c))
                faults.append(line(characterLine));
        }
    };
    checkName(p.cognome, ReportFault::CognomeLength, ReportFault::CognomeCharacter);
    checkName(p.nome, ReportFault::NomeLength, ReportFault::NomeCharacter);

    const qint64 dd = checkDatePart(p.gg, 2, ReportFault::GiornoLength, 1, 31, faults);
    const qint64 mm = checkDatePart(p.mm, 2, ReportFault::MeseLength, 1, 12, faults);
    const qint64 yyyy = checkDatePart(p.aaaa, 4, ReportFault::AnnoLength, 1900, m_currentYear - 17, faults);
    // A day beyond its month's length (31 April, 29 February of a common year) is no date either.
    if (dd > 0 && mm > 0 && yyyy > 0 && !taxcode::dayInMonth(int(dd), int(mm), int(yyyy)))
        faults.append(line(ReportFault::DateFormat));

    const QString& e = p.email;
    if (e.size() > 80)
        faults.append(line(ReportFault::EmailLength));
    if (!e.contains(QLatin1Char('@')))
        faults.append(line(ReportFault::EmailNoAt));
    if (!e.contains(QLatin1Char('.')))
        faults.append(line(ReportFault::EmailNoDot));
    if (e.contains(QLatin1String("@.")))
        faults.append(line(ReportFault::EmailAtDot));
    if (e.startsWith(QLatin1Char('.')))
        faults.append(line(ReportFault::EmailFormat));
    if (e.endsWith(QLatin1Char('.')))
        faults.append(line(ReportFault::EmailFormat));
    if (e.startsWith(QLatin1Char('@')))
        faults.append(line(ReportFault::EmailFormat));
    if (e.endsWith(QLatin1Char('@')))
        faults.append(line(ReportFault::EmailFormat));
    if (!e.isEmpty()) {
        if (!isLetter(e.back()) && !isDigit(e.back()))
            faults.append(line(ReportFault::EmailFormat));
        if (!isLetter(e.front()) && !isDigit(e.front()))
            faults.append(line(ReportFault::EmailFormat));
    }
    for (qsizetype i = taxcode::emailCharacters(e) ? e.size() : 0; i < e.size(); ++i) {
        const QChar c = e[i];
        if (!taxcode::emailCharacters(QString(c))) {
            faults.append(msg::roles::reportEmailCharacter(c));
            forbiddenEmail = true;
        }
    }

    if (p.tel.size() > 20)
        faults.append(line(ReportFault::TelLength));
    for (QChar c : p.tel) {
        if (!isDigit(c))
            faults.append(line(ReportFault::TelDigit));
    }

    if (p.gruppo.size() != 1)
        faults.append(line(ReportFault::Group));
    if (p.gruppo.isEmpty() || !QStringLiteral("ABCDEF").contains(p.gruppo.back()))
        faults.append(line(ReportFault::Group));
    if (significantDigits(row.codiceText) > 5)
        faults.append(line(ReportFault::CodiceLength));
    bool codeIsNumber = false;
    row.codiceText.toInt(&codeIsNumber);
    if (p.gruppo != m_group || !codeIsNumber || p.codice != m_code)
        faults.append(line(ReportFault::Operatore));

    bool siteIsNumber = false;
    row.sedeText.toInt(&siteIsNumber);
    if (!siteIsNumber || (p.sede != 0 && !(m_sites && m_sites(p.gruppo, p.codice, p.sede))))
        faults.append(line(ReportFault::Sede));

    if (!roles::find(p.ruolo))
        faults.append(line(ReportFault::Ruolo));
    else if (roles::atAgency(p.ruolo) && p.sede != 0)
        faults.append(line(ReportFault::RuoloAtAgency));
    else if (!roles::atAgency(p.ruolo) && p.sede == 0)
        faults.append(line(ReportFault::RuoloAtSite));
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
