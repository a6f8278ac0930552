#include "cli/RichiesteCommand.h"

#include "store/Lookups.h"

namespace vx::cli {

int RichiesteCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                              QTextStream& err)
{
    if (!arguments.isEmpty()) {
        err << "richieste non accetta argomenti." << Qt::endl;
        return 2;
    }
    Installation inst(programFolder, err);
    if (!inst.open())
        return 1;
    QSqlQuery query = inst.db.query();
    if (!inst.db.exec(query, QStringLiteral("SELECT NumDoma, GrupOpe, Operatore, PROV, Domanda, DomandaStampata, "
                                            "DomandaTrasmessa FROM Domande ORDER BY NumDoma"))) {
        err << "Errore " << inst.db.lastError().number << ": " << inst.db.lastError().description << Qt::endl;
        return 1;
    }
    auto yesNo = [](const QVariant& v) { return v.toInt() != 0 ? QStringLiteral("Sì") : QStringLiteral("No"); };
    while (query.next()) {
        out << query.value(0).toLongLong() << '\t' << NonNull(query.value(1)) << '-'
            << NonNull_Num(query.value(2), inst.prompter) << '\t' << NonNull(query.value(3)) << '\t'
            << NonNull_Num(query.value(4), inst.prompter) << '\t' << yesNo(query.value(5)) << '\t'
            << yesNo(query.value(6)) << Qt::endl;
    }
    return 0;
}

} // namespace vx::cli
