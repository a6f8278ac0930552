#include "roles/ImportVerification.h"

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

const QString kCodeFormat = QStringLiteral(" -  Formato codice fiscale non corretto.");
const QString kDateFormat = QStringLiteral(" -  il formato della data non è gg/mm/aaaa.");
const QString kEmailFormat = QStringLiteral(" -  Email: formato");

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

// The characters a surname or name may not hold besides digits.
bool forbiddenInName(QChar c)
{
    static const QString forbidden = QStringLiteral("#@-!£$%&/()=?^;:,._§*+");
    return isDigit(c) || forbidden.contains(c);
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
qint64 checkDatePart(const QString& text, int width, const QString& lengthLine, qint64 below, qint64 above,
                     QStringList& faults)
{
    bool failed = false;
    if (text.size() != width) {
        faults.append(lengthLine);
        failed = true;
    }
    for (QChar c : text) {
        if (!isDigit(c)) {
            faults.append(kDateFormat);
            failed = true;
        }
    }
    const qint64 v = dateValue(text);
    if (v >= 0) {
        if (v > above) {
            faults.append(kDateFormat);
            failed = true;
        }
        if (v < below) {
            faults.append(kDateFormat);
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
        verifyRow(rows[i], keys.value({p.codFiscale, p.sede, p.ruolo}) > 1, faults, report.forbiddenEmailCharacter);
        if (faults.isEmpty())
            continue;
        const QString prefix = QStringLiteral("riga %1").arg(i + 1);
        for (const QString& f : faults)
            report.lines.append(prefix + f);
    }
    return report;
}

void ImportVerification::verifyRow(const ImportedRow& row, bool duplicate, QStringList& faults,
                                   bool& forbiddenEmail) const
{
    const RolePerson& p = row.person;
    const QString& cf = p.codFiscale;

    if (row.malformed)
        faults.append(QStringLiteral(" -  Riga non corretta: più di 51 campi."));
    if (duplicate)
        faults.append(QStringLiteral(" -  Duplicazione di chiave!!!."));

    if (cf.size() != 16)
        faults.append(kCodeFormat);
    if (taxcode::checkCharacter(cf) != cf.mid(15, 1))
        faults.append(kCodeFormat);
    if (cf.mid(0, 3) != taxcode::surnameCode(p.cognome))
        faults.append(kCodeFormat);
    if (cf.mid(3, 3) != taxcode::nameCode(p.nome))
        faults.append(kCodeFormat);
    const int codeYear = codeNumber(cf, 6);
    const int year = taxcode::fixedDigits(p.aaaa, 4);
    if (codeYear < 0 || year < 0 || codeYear != year % 100)
        faults.append(QStringLiteral(" -  Anno e codice fiscale non coerenti."));
    const QString monthLetter = taxcode::monthLetter(p.mm);
    if (monthLetter.isEmpty() || cf.mid(8, 1) != monthLetter)
        faults.append(QStringLiteral(" -  Mese e codice fiscale non coerenti."));
    const int codeDay = codeNumber(cf, 9);
    const int day = taxcode::fixedDigits(p.gg, 2);
    if (codeDay < 0 || day < 0 || (codeDay < 40 ? codeDay != day : codeDay != day + 40))
        faults.append(QStringLiteral(" -  Giorno e codice fiscale non coerenti."));
    for (int i = 0; i < qMin<qsizetype>(cf.size(), 16); ++i) {
        const bool letterOnly = i < 6 || i == 8 || i == 11 || i == 15;
        if (letterOnly ? !isCapital(cf[i]) : !(isCapital(cf[i]) || isDigit(cf[i]))) {
            faults.append(kCodeFormat);
            break;
        }
    }

    const auto checkName = [&](const QString& name, const QString& lengthLine, const QString& characterLine) {
        if (name.size() < 2 || name.size() > 50)
            faults.append(lengthLine);
        for (QChar c : name) {
            if (forbiddenInName(c))
                faults.append(characterLine);
        }
    };
    checkName(p.cognome, QStringLiteral(" -  Lunghezza non corretta nel Cognome."),
              QStringLiteral(" -  Caratterri non permessi nel Cognome."));
    checkName(p.nome, QStringLiteral(" -  Lunghezza non corretta nel Nome."),
              QStringLiteral(" -  Caratterri non permessi nel Nome."));

    const qint64 dd = checkDatePart(p.gg, 2, QStringLiteral(" -  la data GG deve essre di due cifre."), 1, 31, faults);
    const qint64 mm = checkDatePart(p.mm, 2, QStringLiteral(" -  la data MM deve essre di due cifre."), 1, 12, faults);
    const qint64 yyyy = checkDatePart(p.aaaa, 4, QStringLiteral(" -  la data AAAA deve essere di 4 cifre."), 1900,
                                      m_currentYear - 17, faults);
    // A day beyond its month's length (31 April, 29 February of a common year) is no date either.
    if (dd > 0 && mm > 0 && yyyy > 0 && !taxcode::dayInMonth(int(dd), int(mm), int(yyyy)))
        faults.append(kDateFormat);

    const QString& e = p.email;
    if (e.size() > 80)
        faults.append(QStringLiteral(" -  Email MAX 80 caratteri."));
    if (!e.contains(QLatin1Char('@')))
        faults.append(QStringLiteral(" -  Email: assenza @"));
    if (!e.contains(QLatin1Char('.')))
        faults.append(QStringLiteral(" -  Email: assenza '.'"));
    if (e.contains(QLatin1String("@.")))
        faults.append(QStringLiteral(" -  Email: presenza '@.'"));
    if (e.startsWith(QLatin1Char('.')))
        faults.append(kEmailFormat);
    if (e.endsWith(QLatin1Char('.')))
        faults.append(kEmailFormat);
    if (e.startsWith(QLatin1Char('@')))
        faults.append(kEmailFormat);
    if (e.endsWith(QLatin1Char('@')))
        faults.append(kEmailFormat);
    if (!e.isEmpty()) {
        if (!isLetter(e.back()) && !isDigit(e.back()))
            faults.append(kEmailFormat);
        if (!isLetter(e.front()) && !isDigit(e.front()))
            faults.append(kEmailFormat);
    }
    for (qsizetype i = taxcode::emailCharacters(e) ? e.size() : 0; i < e.size(); ++i) {
        const QChar c = e[i];
        if (!taxcode::emailCharacters(QString(c))) {
            faults.append(QStringLiteral(" -  Email: carattere non consentito '") + c + QLatin1Char('\''));
            forbiddenEmail = true;
        }
    }

    if (p.tel.size() > 20)
        faults.append(QStringLiteral(" -  Tel MAX 20 caratteri."));
    for (QChar c : p.tel) {
        if (!isDigit(c))
            faults.append(QStringLiteral(" -  Tel solo cifre."));
    }

    if (p.gruppo.size() != 1)
        faults.append(QStringLiteral(" -  GruppoOperatore."));
    if (p.gruppo.isEmpty() || !QStringLiteral("ABCDEF").contains(p.gruppo.back()))
        faults.append(QStringLiteral(" -  GruppoOperatore."));
    if (row.codiceText.size() > 5)
        faults.append(QStringLiteral(" -  CodiceOperatore: MAX 5 cifre."));
    bool codeIsNumber = false;
    row.codiceText.toInt(&codeIsNumber);
    if (p.gruppo != m_group || !codeIsNumber || p.codice != m_code)
        faults.append(QStringLiteral(" -  Codice Operatore non corretto"));

    bool siteIsNumber = false;
    row.sedeText.toInt(&siteIsNumber);
    if (!siteIsNumber || (p.sede != 0 && !(m_sites && m_sites(p.gruppo, p.codice, p.sede))))
        faults.append(QStringLiteral(" -  Sede: codice non presente nella base dati."));

    if (!roles::find(p.ruolo))
        faults.append(QStringLiteral(" -  Codice Ruolo non presente nella base dati."));
    else if (roles::atAgency(p.ruolo) && p.sede != 0)
        faults.append(QStringLiteral(" -  Per il Ruolo 1 la sede deve essere 0."));
    else if (!roles::atAgency(p.ruolo) && p.sede == 0)
        faults.append(QStringLiteral(" -  Per il ruolo 2 e 3 la sede deve essere."));
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
