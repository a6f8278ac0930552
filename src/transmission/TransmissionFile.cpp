#include "transmission/TransmissionFile.h"

#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Prompter.h"
#include "core/Windows1252.h"
#include "roles/RoleCodes.h"
#include "roles/RoleColumns.h"
#include "store/Database.h"
#include "store/Lookups.h"
#include "transmission/Messages.h"

#include <QDir>
#include <QHash>
#include <QSaveFile>
#include <QSqlQuery>
#include <QStringList>

namespace vx {

namespace {

using transmission::kEditionYear;
using transmission::kFileConstant;
const QString kRecordConstant = QStringLiteral("6");

// The number the message shows: SQLite's own, or for a server's SQLSTATE (which is no number)
// SQLite's code of the same condition.
int shownNumber(const DbError& error)
{
    return error.isServerState() ? error.code() : error.number.toInt();
}
const QString kAttachmentType = QStringLiteral("KVR_ALLEGATO_CENSIMENTO_RUOLI_PERCORSI_FORMATIVI_2017");
const QString kSeparator = QStringLiteral("#,#");
const QString kLineEnd = QStringLiteral("\r\n");

// A stored value as the file carries it: nothing for NULL, a number in plain decimal, a text unchanged.
QString text(const QVariant& value)
{
    if (value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return value.toString().trimmed();
    default:
        return value.toString();
    }
}

// The legal representative's birth date: year, month and day, the one-digit day and month with a
// leading 0, written only when the result is a whole date of 8 characters.
QString birthDate(const QSqlQuery& row)
{
    auto pad = [](QString part) { return part.size() == 1 ? QLatin1Char('0') + part : part; };
    const QString date = text(row.value(QStringLiteral("LegAAAANasc"))) +
                         pad(text(row.value(QStringLiteral("LegMMNasc")))) +
                         pad(text(row.value(QStringLiteral("LegGGNasc"))));
    return date.size() == 8 ? date : QString();
}

struct Failure {
    Message anomaly; // the writer's own; empty for a fault of the file itself
    int number = 0;
    QString description;
    DbError error; // a statement that failed, which may go well when tried again
};

// Collects the records; a value holding the separator is noted, since it would shift every
// following field of its record on the region's side.
class Records {
public:
    void add(QStringList fields)
    {
        for (int i = 0; i < fields.size(); ++i) {
            if (fields.at(i).contains(kSeparator))
                m_faults.add(m_lines + 1, msg::transmission::separatorInValue(m_lines + 1, i + 1));
        }
        m_text += QLatin1Char('#') + fields.join(kSeparator) + QLatin1Char('#') + kLineEnd;
        ++m_lines;
    }
    // A fault of the record about to be added.
    void fault(const QString& text) { m_faults.add(m_lines + 1, text); }
    int lines() const { return m_lines; }
    void terminate() { m_text += QLatin1String(transmission::kTerminator) + kLineEnd; }
    const QString& text() const { return m_text; }
    const transmission::CheckReport& faults() const { return m_faults; }

private:
    QString m_text;
    transmission::CheckReport m_faults;
    int m_lines = 0;
};

} // namespace

QString TransmissionFile::fileName(qint32 numDoma)
{
    QSqlQuery query = m_ctx.db.query();
    const bool found =
        m_ctx.db.exec(query, QStringLiteral("SELECT GrupOpe, Operatore, PROV FROM QryDomande WHERE NumDoma = ?"),
                      {numDoma}) &&
        query.next() && !text(query.value(0)).isEmpty();
    if (!found) {
        m_ctx.prompter.ask(msg::transmission::requestNotFound(QStringLiteral("NomeFile")));
        return QString();
    }
    QString name = QStringLiteral("VELTRANORPX_6_%1.%2%3").arg(numDoma).arg(text(query.value(0)), text(query.value(1)));
    if (m_ctx.state.reservedMode) {
        // The region does not acquire a file so named: the reserved mode's files are for trial.
        m_ctx.prompter.ask(msg::transmission::notice(msg::transmission::Notice::ReservedName));
        name.prepend(QStringLiteral("QUOLB_"));
    }
    return name;
}

bool TransmissionFile::compose(qint32 numDoma, const QString& email, Composition& out)
{
    const QString date = m_ctx.clock.now().date().toString(QStringLiteral("yyyyMMdd"));
    const QString number = QString::number(numDoma);
    Records records;
    Failure failure;
    QString group;
    QString code;
    int persons = 0;

    auto failed = [&] {
        const DbError& error = m_ctx.db.lastError();
        failure = {Message(), shownNumber(error), error.description, error};
        return false;
    };
    auto fail = [&](const Message& anomaly) {
        if (failure.anomaly.text.isEmpty() && failure.error.isNull())
            failure = {anomaly};
        return false;
    };
    // A read that failed is no anomaly of the Request: it is told as the error it is.
    auto requestRow = [&](const QString& columns, QSqlQuery& query) {
        if (!m_ctx.db.exec(query,
                           QStringLiteral("SELECT ") + columns + QStringLiteral(" FROM QryDomande WHERE NumDoma = ?"),
                           {numDoma}))
            return failed();
        return query.next();
    };
    // The sites of the persons, read once each: one the registry no longer has would have the whole
    // file refused by the region.
    QHash<QString, bool> sites;
    auto siteKnown = [&](const RolePerson& p, bool& known) {
        const QString key =
            p.gruppo + QLatin1Char('\x1f') + QString::number(p.codice) + QLatin1Char('\x1f') + QString::number(p.sede);
        auto it = sites.constFind(key);
        if (it == sites.constEnd()) {
            QSqlQuery q = m_ctx.db.query();
            if (!m_ctx.db.exec(q,
                               QStringLiteral("SELECT 1 FROM CorsiCompo WHERE GrupOpe = ? AND Operatore = ? AND "
                                              "Componente = ?"),
                               {p.gruppo, p.codice, p.sede}))
                return failed();
            it = sites.insert(key, q.next());
        }
        known = *it;
        return true;
    };

    auto writeZ = [&] {
        QSqlQuery query = m_ctx.db.query();
        if (!requestRow(QStringLiteral("GrupOpe, Operatore"), query))
            return fail(msg::transmission::requestNotFound(QStringLiteral("ScriviRec_Z")));
        records.add({QStringLiteral("Z"), kAttachmentType, kFileConstant, kEditionYear, text(query.value(0)),
                     text(query.value(1)), number, date});
        return true;
    };
    auto writeA = [&] {
        QSqlQuery query = m_ctx.db.query();
        if (!requestRow(
                QStringLiteral("GrupOpe, Operatore, TipoOper, CodFisc, Corrispondenza, LegNome, LegComNasc, "
                               "LegProvNasc, LegGGNasc, LegMMNasc, LegAAAANasc, ContDesBanca, ContIBAN, ContAge, "
                               "ContIndirAge, ContNumCC, ContIntCC, A_DomPrece, A_AAAAPrece, A_MMPrece, A_GGPrece, "
                               "A_DomPROV, A_Direttiva, A_AnnoDirettiva"),
                query))
            return fail(msg::transmission::applicantNotFound());
        // The region reads the site that receives correspondence as a number: an empty or 0 value
        // would have the whole file refused there, so the agency is told here which field to fill.
        const QVariant correspondence = query.value(QStringLiteral("Corrispondenza"));
        if (correspondence.isNull() || text(correspondence).isEmpty())
            return fail(msg::transmission::correspondenceMissing());
        auto v = [&](const char* column) { return text(query.value(QLatin1String(column))); };
        records.add({QStringLiteral("A"),
                     number,
                     kFileConstant,
                     kEditionYear,
                     kRecordConstant,
                     v("GrupOpe"),
                     v("Operatore"),
                     v("GrupOpe") + v("TipoOper"),
                     v("CodFisc"),
                     email,
                     QString::number(static_cast<qint16>(correspondence.toInt())),
                     v("LegNome"),
                     v("LegComNasc"),
                     v("LegProvNasc"),
                     birthDate(query),
                     v("ContDesBanca"),
                     v("ContIBAN"),
                     v("ContAge"),
                     v("ContIndirAge"),
                     v("ContNumCC"),
                     v("ContIntCC"),
                     v("A_DomPrece"),
                     v("A_AAAAPrece") + v("A_MMPrece") + v("A_GGPrece"),
                     v("A_DomPROV"),
                     v("A_Direttiva"),
                     v("A_AnnoDirettiva"),
                     date});
        return true;
    };
    auto writeB = [&] {
        QSqlQuery query = m_ctx.db.query();
        if (!requestRow(
                QStringLiteral("GrupOpe, Operatore, Componente, DenominazioneOp, CodComune, Cap, Indirizzo, "
                               "StatoEstero, CittaEstero, ProvCCIAA, CodCCIAA, AnnoCCIAA, AttEcono, ATS, Tel, Fax, "
                               "EMail, Riferimento"),
                query))
            return fail(msg::transmission::legalSeatNotFound());
        auto v = [&](const char* column) { return text(query.value(QLatin1String(column))); };
        group = v("GrupOpe");
        code = v("Operatore");
        // The legal seat's certified e-mail has no column in this edition's Requests: its field
        // travels empty, in its place, so that the fields after it keep their positions.
        const QString certifiedEmail;
        records.add({QStringLiteral("B"),
                     number,
                     kFileConstant,
                     kEditionYear,
                     kRecordConstant,
                     group,
                     code,
                     v("Componente"),
                     v("DenominazioneOp"),
                     v("CodComune"),
                     v("Cap"),
                     v("Indirizzo"),
                     v("StatoEstero"),
                     v("CittaEstero"),
                     v("ProvCCIAA"),
                     v("CodCCIAA"),
                     v("AnnoCCIAA"),
                     v("AttEcono"),
                     query.value(QStringLiteral("ATS")).toBool() ? QStringLiteral("S") : QStringLiteral("N"),
                     v("Tel"),
                     v("Fax"),
                     v("EMail"),
                     v("Riferimento"),
                     certifiedEmail,
                     date});
        return true;
    };
    auto writeE = [&] {
        QSqlQuery query = m_ctx.db.query();
        if (!m_ctx.db.exec(query,
                           QStringLiteral("SELECT ") + roles::columnList() +
                               QStringLiteral(" FROM Ruoli WHERE NumDoma = ? "
                                              "ORDER BY Cognome, Nome, GruppoOperatore, CodiceOperatore"),
                           {numDoma})) {
            return failed();
        }
        QHash<QString, QString> names; // an operator's denomination, read once per operator
        while (query.next()) {
            const RolePerson person = roles::readRow(query);
            const QString key = person.gruppo + QLatin1Char('\x1f') + QString::number(person.codice);
            auto name = names.constFind(key);
            if (name == names.constEnd()) {
                const QString denomination = operatorName(m_ctx.db, person.gruppo, person.codice);
                // An operator missing from the registry travels with an empty name; one that could
                // not be read stops the file rather than send it without its name.
                if (!m_ctx.db.lastError().isNull())
                    return failed();
                name = names.insert(key, denomination);
            }
            if (person.sede != 0) {
                bool known = true;
                if (!siteKnown(person, known))
                    return false;
                if (!known)
                    records.fault(msg::transmission::unknownSite(records.lines() + 1, person.gruppo,
                                                                 QString::number(person.codice),
                                                                 QString::number(person.sede)));
            }
            records.add(transmission::recordE(number, group, code, person, *name, date));
            ++persons;
        }
        if (persons == 0)
            return fail(msg::transmission::noPersons());
        return true;
    };

    if (!(writeZ() && writeA() && writeB() && writeE())) {
        out.anomaly = failure.anomaly;
        out.errorNumber = failure.number;
        out.errorText = failure.description;
        out.error = failure.error;
        return false;
    }
    records.terminate();
    out.text = records.text();
    const transmission::CheckReport checked = transmission::checkText(out.text);
    out.report = records.faults();
    out.report.faults += checked.faults;
    out.report.rows += checked.rows;
    out.report.persons = checked.persons;
    // Every person written is one record E: the writer and the check count alike.
    Q_ASSERT(!out.report.passed() || out.report.persons == persons);
    return true;
}

QString TransmissionFile::create(qint32 numDoma, const QString& email, const QString& folder)
{
    m_report = {};
    const QString name = fileName(numDoma);
    if (name.isEmpty())
        return QString();
    Composition composed;
    if (!compose(numDoma, email, composed)) {
        if (!composed.anomaly.text.isEmpty())
            m_ctx.prompter.ask(composed.anomaly);
        m_ctx.prompter.ask(msg::transmission::fileNotWritten(composed.errorNumber, composed.errorText));
        return QString();
    }
    m_report = composed.report;
    if (!m_report.passed()) {
        const QString reportPath = keepReport(m_report.text(name));
        m_ctx.prompter.ask(msg::transmission::checkRefused(m_report.text(name), reportPath));
        return QString();
    }
    const QString target = QDir(folder.isEmpty() ? m_ctx.state.programFolder : folder).filePath(name);
    QSaveFile file(target);
    const QByteArray bytes = windows1252::encode(composed.text);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return target;
    m_ctx.prompter.ask(
        msg::transmission::fileNotWritten(static_cast<int>(file.error()), msg::core::whyNotWritten(target)));
    return QString();
}

QString TransmissionFile::keepReport(const QString& text)
{
    // The report is kept beside the program, so that it can be read again and passed on.
    const QString reportPath = m_ctx.state.programFolder + kCheckReportName;
    QSaveFile report(reportPath);
    const QByteArray reportBytes = text.toUtf8() + "\r\n";
    const bool kept =
        report.open(QIODevice::WriteOnly) && report.write(reportBytes) == reportBytes.size() && report.commit();
    return kept ? QDir::toNativeSeparators(reportPath) : QString();
}

TransmissionFile::Readiness TransmissionFile::readiness(qint32 numDoma)
{
    Readiness ready;
    Composition composed;
    if (!compose(numDoma, QString(), composed)) {
        ready.error = composed.error;
        ready.anomaly = composed.anomaly;
        if (ready.anomaly.text.isEmpty())
            ready.anomaly = msg::transmission::fileNotWritten(composed.errorNumber, composed.errorText);
        return ready;
    }
    if (composed.report.passed()) {
        ready.sendable = true;
        return ready;
    }
    // Each fault of a person's record names the person, whom the user finds in the roles list.
    const QStringList lines = composed.text.split(QStringLiteral("\r\n"));
    QStringList faults;
    for (int i = 0; i < composed.report.faults.size(); ++i) {
        const QString line = lines.value(composed.report.rows.value(i) - 1);
        const QStringList fields = line.size() < 2 ? QStringList() : line.mid(1).chopped(1).split(kSeparator);
        const QString& fault = composed.report.faults.at(i);
        faults << (fields.size() >= 9 && fields.first() == QLatin1String("E")
                       ? msg::transmission::personFault(fields.at(7), fields.at(8), fields.at(6), fault)
                       : fault);
    }
    ready.faults = faults;
    ready.reportPath = keepReport(msg::transmission::notSendable(numDoma) + QStringLiteral("\r\n") +
                                  faults.join(QStringLiteral("\r\n")));
    return ready;
}

} // namespace vx
