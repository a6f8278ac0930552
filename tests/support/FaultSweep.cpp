#include "FaultSweep.h"

#include "Support.h"

namespace vx::test {

namespace {
const DbError kFault = DbError::sqlite(10); // "disk I/O error"

struct Outcome {
    bool succeeded = false;
    bool faultFired = false;
    QString integrity;
    Dump content;
    QStringList shown;
    QString checked;
};

Outcome runOnce(const FaultOperation& operation, int failAt, bool retry, Dump* before = nullptr)
{
    Outcome o;
    const std::unique_ptr<InstalledContext> c = operation.prepare();
    if (before)
        *before = dumpOf(c->db);
    c->prompter.goOn(retry);
    if (operation.ownConnections)
        Database::failStatementInProcess(failAt, kFault);
    else
        c->db.failStatement(failAt, kFault);
    o.succeeded = operation.run(*c);
    o.faultFired = operation.ownConnections ? Database::processFaultFired() : c->db.faultFired();
    Database::failStatementInProcess(0);
    c->db.failStatement(0);
    o.shown = c->prompter.shown();
    if (operation.check)
        o.checked = operation.check(*c, o.succeeded);
    c->db.close();
    // A connection of its own: anything left uncommitted is not seen.
    Database check;
    if (c->inst.open(check, Database::Mode::Multiutenza, Database::Access::ReadOnly)) {
        o.integrity = check.integrityProblems();
        o.content = dumpOf(check);
    } else {
        o.integrity = check.lastError().description;
    }
    return o;
}
} // namespace

QString sweepFaults(const FaultOperation& operation, bool retry)
{
    Dump before;
    const Outcome clean = runOnce(operation, 0, retry, &before);
    if (!clean.succeeded || !clean.integrity.isEmpty())
        return QStringLiteral("senza guasti l'operazione non riesce: ") + clean.shown.join(QLatin1Char('\n')) +
               clean.integrity;
    if (!clean.checked.isEmpty())
        return QStringLiteral("senza guasti: ") + clean.checked;
    if ((clean.content == before) != operation.leavesTheDatabase)
        return operation.leavesTheDatabase ? QStringLiteral("senza guasti la base dati dell'installazione è cambiata")
                                           : QStringLiteral("senza guasti l'operazione non cambia nulla");
    for (int n = 1; n < 200 * operation.stride; n += operation.stride) {
        const Outcome o = runOnce(operation, n, retry);
        const QString where = QStringLiteral("istruzione %1: ").arg(n);
        if (!o.integrity.isEmpty())
            return where + o.integrity;
        if (!o.checked.isEmpty())
            return where + o.checked;
        if (o.succeeded && o.content != clean.content)
            return where + QStringLiteral("riuscita, ma non con tutta la modifica");
        if (!o.succeeded && o.content != before)
            return where + QStringLiteral("non riuscita, ma la base dati è cambiata");
        if (!o.faultFired)
            return o.succeeded ? QString() : where + QStringLiteral("non riuscita senza guasto");
        if (!o.succeeded && o.shown.isEmpty())
            return where + QStringLiteral("non riuscita senza dirlo all'utente");
        // Where the message names the fault, a retry (the fault has passed) completes the change.
        const bool toldTheFault = o.shown.join(QLatin1Char('\n')).contains(kFault.description);
        if (retry && operation.retriesEveryFault && toldTheFault && !o.succeeded)
            return where + QStringLiteral("riprovare dopo un guasto passeggero deve completare la modifica");
    }
    return QStringLiteral("l'operazione incontra sempre il guasto");
}

} // namespace vx::test
