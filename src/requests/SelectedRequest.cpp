#include "requests/SelectedRequest.h"

#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "requests/Messages.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

namespace vx {

namespace {
bool readSelected(Database& db, Prompter& prompter, qint32 number, SelectedRequest& out)
{
    out = SelectedRequest();
    out.number = number;
    QSqlQuery query = db.query();
    if (!db.exec(query,
                 QStringLiteral("SELECT GrupOpe, Operatore, DenominazioneOp, Domanda, PROV, DomandaStampata "
                                "FROM Domande WHERE NumDoma = ?"),
                 {number}))
        return false;
    if (!query.next())
        return true;
    out.group = NonNull(query.value(0));
    out.operatorCode = NonNull_Num(query.value(1), prompter);
    out.operatorName = NonNull(query.value(2));
    out.runningNumber = NonNull_Num(query.value(3), prompter);
    out.province = NonNull(query.value(4));
    out.printed = NonNull_Num(query.value(5), prompter) != 0;
    out.provinceName = RecuperaDesProv(db, prompter, out.province);
    return true;
}
} // namespace

SelectedRequest loadSelectedRequest(Database& db, Prompter& prompter, qint32 number)
{
    SelectedRequest selected;
    if (!readSelected(db, prompter, number, selected)) {
        reportRoutineFailure(prompter, msg::requests::text(msg::requests::Text::SalvaVarIniRoutine), db.lastError());
        selected = SelectedRequest();
        selected.number = number;
    }
    return selected;
}

void SalvaVarINI(Database& db, IniFile& ini, Prompter& prompter, qint32 number, SelectedRequest& selected)
{
    // A failed read ends the routine with its empty result; the INI keeps the Request it named,
    // which the next start can still resume on.
    if (!readSelected(db, prompter, number, selected)) {
        reportRoutineFailure(prompter, msg::requests::text(msg::requests::Text::SalvaVarIniRoutine), db.lastError());
        selected = SelectedRequest();
        return;
    }
    Settings::writeSelectedNumber(ini, number);
}

qint32 numberToRestore(Database& db, const QString& iniNumber)
{
    const qint32 wanted = leadingNumber(iniNumber);
    if (requestExists(db, wanted).value_or(false))
        return wanted;
    QSqlQuery query = db.query();
    if (!db.exec(query, QStringLiteral("SELECT NumDoma FROM Domande LIMIT 2")))
        return 0;
    if (!query.next())
        return 0;
    const qint32 only = query.value(0).toInt();
    return query.next() ? 0 : only;
}

} // namespace vx
