#include "cli/RichiesteCommand.h"

#include "store/ErrorAdvice.h"
#include "store/Lookups.h"

namespace vx::cli {

int RichiesteCommand::execute(const QString& programFolder, const QStringList&, QTextStream& out, QTextStream& err)
{
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadOnly))
        return kFailed;
    QSqlQuery query = inst.db.query();
    if (!inst.db.exec(query, QStringLiteral("SELECT NumDoma, GrupOpe, Operatore, PROV, Domanda, DomandaStampata, "
                                            "DomandaTrasmessa FROM Domande ORDER BY NumDoma"))) {
        printError(err, errorLines(inst.db.lastError()));
        return kFailed;
    }
    auto yesNo = [](const QVariant& v) { return v.toInt() != 0 ? QStringLiteral("Sì") : QStringLiteral("No"); };
    while (query.next()) {
        out << query.value(0).toLongLong() << '\t' << escapeField(NonNull(query.value(1))) << '-'
            << NonNull_Num(query.value(2), inst.prompter) << '\t' << escapeField(NonNull(query.value(3))) << '\t'
            << NonNull_Num(query.value(4), inst.prompter) << '\t' << yesNo(query.value(5)) << '\t'
            << yesNo(query.value(6)) << Qt::endl;
    }
    return inst.exitCode(0);
}

} // namespace vx::cli
