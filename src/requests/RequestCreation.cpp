#include "requests/RequestCreation.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "net/Exchange.h"
#include "net/ServerCall.h"
#include "requests/Messages.h"
#include "requests/SelectedRequest.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

#include <limits>
#include <memory>

namespace vx {

namespace {

// A whole positive number that fits a Request number.
qint32 numberOf(const QString& answer)
{
    bool ok = false;
    const qlonglong n = answer.toLongLong(&ok);
    if (!ok || n <= 0 || n > std::numeric_limits<qint32>::max())
        return 0;
    for (QChar c : answer) {
        if (!c.isDigit())
            return 0;
    }
    return static_cast<qint32>(n);
}

// The operator block is copied by position: CorsiOper from its third column to its last, into the
// Domande columns that follow the running number; the legal-seat block likewise from the "SL"
// site. Both follow data/schema.sql; Domande names two of the columns its own way.
const QStringList kOperatorColumns = {
    QStringLiteral("Denominazione"), QStringLiteral("TipoOper"),       QStringLiteral("CodFisc"),
    QStringLiteral("LegNome"),       QStringLiteral("LegComNasc"),     QStringLiteral("LegProvNasc"),
    QStringLiteral("LegGGNasc"),     QStringLiteral("LegMMNasc"),      QStringLiteral("LegAAAANasc"),
    QStringLiteral("ProvCCIAA"),     QStringLiteral("CodCCIAA"),       QStringLiteral("AnnoCCIAA"),
    QStringLiteral("AttEcono"),      QStringLiteral("Corrispondenza"), QStringLiteral("ContIBAN"),
    QStringLiteral("ContDesBanca"),  QStringLiteral("ContAge"),        QStringLiteral("ContIndirAge"),
    QStringLiteral("ContNumCC"),     QStringLiteral("ContIntCC")};
const QStringList kSiteColumns = {
    QStringLiteral("Componente"),  QStringLiteral("TipoCompo"),   QStringLiteral("Denominazione"),
    QStringLiteral("CodComune"),   QStringLiteral("Cap"),         QStringLiteral("Indirizzo"),
    QStringLiteral("Tel"),         QStringLiteral("Fax"),         QStringLiteral("Cod_Quartiere"),
    QStringLiteral("StatoEstero"), QStringLiteral("CittaEstero"), QStringLiteral("Email"),
    QStringLiteral("Riferimento")};

QStringList renamed(QStringList columns, const QString& from, const QString& to)
{
    Q_ASSERT(columns.contains(from));
    columns.replace(columns.indexOf(from), to);
    return columns;
}
const QStringList kRequestOperatorColumns =
    renamed(kOperatorColumns, QStringLiteral("Denominazione"), QStringLiteral("DenominazioneOp"));
const QStringList kRequestSeatColumns =
    renamed(kSiteColumns, QStringLiteral("Denominazione"), QStringLiteral("DenominazioneSL"));

// Unquoted: a server folds them to the lower case its schema was laid out in.
QString listed(const QStringList& names)
{
    return names.join(QStringLiteral(", "));
}

} // namespace

void RequestCreation::tellInterrupted()
{
    m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::Interrupted));
}

bool RequestCreation::create(const OperatorEntry& op, const ProvinceEntry& province)
{
    OperatorIdentity identity(m_ctx, m_exchange, m_screens);
    switch (identity.verify(op.group, op.code, province.code)) {
    case OperatorIdentity::Outcome::Verified:
        break;
    case OperatorIdentity::Outcome::Refused:
        m_ctx.prompter.ask(msg::requests::notAssociated(op.group, op.code));
        return false;
    case OperatorIdentity::Outcome::Cancelled:
        tellInterrupted();
        return false;
    case OperatorIdentity::Outcome::Reported:
        return false;
    }
    m_interrupted = false;
    const qint32 number = m_screens.runNumberRequest([&] { return requestNumber(op); });
    if (m_ctx.control.ended())
        return false;
    if (m_interrupted) {
        tellInterrupted();
        return false;
    }
    if (number == 0) {
        m_ctx.prompter.ask(msg::requests::noNumber(m_ctx.state.serverLabel));
        return false;
    }
    if (!insertRequest(number, op, province))
        return false;
    Q_ASSERT(requestExists(m_ctx.db, number).value_or(false));
    IniFile iniFile(m_ctx.state.programFolder);
    SalvaVarINI(m_ctx.db, iniFile, m_ctx.prompter, number, m_ctx.state.selected);
    m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::Inserted));
    return true;
}

qint32 RequestCreation::requestNumber(const OperatorEntry& op)
{
    for (;;) {
        while (!m_screens.askEmail()) {
            if (m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::EmailNeeded)) != Answer::Yes) {
                m_ctx.prompter.ask(msg::requests::notice(msg::requests::Notice::CannotContinue));
                return 0;
            }
        }
        const Settings settings = Settings::read(IniFile(m_ctx.state.programFolder));
        const QString nreg = settings.nreg;
        const QByteArray body = Exchange::formBody({{QStringLiteral("gruppo"), op.group},
                                                    {QStringLiteral("codice"), QString::number(op.code)},
                                                    {QStringLiteral("compo"), QString()},
                                                    {QStringLiteral("applicativo"), QStringLiteral("VELTRANORPX")},
                                                    {QStringLiteral("email"), UserSettings().email()}});
        const TransferResult result = postAndReport(
            m_exchange, m_ctx.prompter, [this](const QString& text) { m_screens.showProgress(text); },
            Exchange::withCredential(nreg, m_ctx.state.credential), body);
        if (result.cancelled()) {
            m_interrupted = true;
            return 0;
        }
        if (result.failed()) {
            const QString server = m_ctx.state.serverLabel;
            if (m_ctx.prompter.ask(msg::requests::retryConnection(server, Settings::serviceLabel(nreg))) == Answer::Ok)
                continue;
            m_ctx.prompter.ask(msg::requests::noAuthorisation(server, settings.certificatesPage));
            m_ctx.control.endProgram();
            return 0;
        }
        const QString answer = result.answer.trimmed();
        const qint32 number = Exchange::containsErrore(answer) ? 0 : numberOf(answer);
        if (number == 0)
            tellServerError(m_ctx, nreg, result);
        return number;
    }
}

bool RequestCreation::insertRequest(qint32 number, const OperatorEntry& op, const ProvinceEntry& province)
{
    Database& db = m_ctx.db;
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    auto busy = std::make_unique<Busy>(m_ctx.control);
    // A number this database holds already (a server that repeats itself, or a copy of the database
    // restored from elsewhere) is no fault of the data: it is told as such, and nothing is added.
    bool exists = false;
    const bool inserted = trap.run(msg::requests::insertOperation(), [&] {
        exists = false;
        const bool ok = db.inWriteTransaction([&] {
            const std::optional<bool> present = requestExists(db, number);
            if (!present)
                return false;
            if (*present) {
                exists = true;
                return false;
            }
            QSqlQuery q = db.query();
            if (!db.exec(q,
                         QStringLiteral("SELECT COALESCE(MAX(Domanda), 0) + 1 FROM Domande "
                                        "WHERE GrupOpe = ? AND Operatore = ? AND PROV = ?"),
                         {op.group, op.code, province.code}) ||
                !q.next())
                return false;
            const int running = q.value(0).toInt();
            QSqlQuery insert = db.query();
            if (!db.exec(insert,
                         QStringLiteral("INSERT INTO Domande (NumDoma, GrupOpe, Operatore, PROV, Domanda, A_DomPrece, "
                                        "A_GGPrece, A_MMPrece, A_AAAAPrece, A_DomPROV, A_Direttiva, A_AnnoDirettiva, "
                                        "Allega_1, Allega_2, Allega_3, Allega_4, Allega_5, Allega_6, "
                                        "DomandaStampata, DomandaTrasmessa) "
                                        "VALUES (?, ?, ?, ?, ?, '', '', '', '', '', '', '', 0, 0, 0, 0, 0, 0, 0, 0)"),
                         {number, op.group, op.code, province.code, running}))
                return false;
            QSqlQuery copyOperator = db.query();
            if (!db.exec(copyOperator,
                         QStringLiteral("UPDATE Domande SET (%1) = (SELECT %2 FROM CorsiOper WHERE GrupOpe = ? AND "
                                        "Operatore = ?) WHERE NumDoma = ? AND EXISTS (SELECT 1 FROM CorsiOper WHERE "
                                        "GrupOpe = ? AND Operatore = ?)")
                             .arg(listed(kRequestOperatorColumns), listed(kOperatorColumns)),
                         {op.group, op.code, number, op.group, op.code}))
                return false;
            QSqlQuery copySeat = db.query();
            const QString seat =
                QStringLiteral("FROM CorsiCompo WHERE GrupOpe = ? AND Operatore = ? AND TipoCompo = ?");
            return db.exec(
                copySeat,
                QStringLiteral("UPDATE Domande SET (%1) = (SELECT %2 %3 ORDER BY Componente LIMIT 1) "
                               "WHERE NumDoma = ? AND EXISTS (SELECT 1 %3)")
                    .arg(listed(kRequestSeatColumns), listed(kSiteColumns), seat),
                {op.group, op.code, m_ctx.state.legalSeatType, number, op.group, op.code, m_ctx.state.legalSeatType});
        });
        return ok || exists ? DbError() : db.lastError();
    });
    busy.reset();
    if (inserted && exists) {
        m_ctx.prompter.ask(msg::requests::numberHeldAlready(number, m_ctx.state.serverLabel));
        return false;
    }
    return inserted;
}

} // namespace vx
