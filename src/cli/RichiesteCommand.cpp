#include "cli/RichiesteCommand.h"

#include "cli/Messages.h"
#include "store/ErrorAdvice.h"
#include "store/Lookups.h"

namespace vx::cli {

QString RichiesteCommand::description() const
{
    return msg::cli::text(msg::cli::Text::RichiesteHelp);
}

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
    Listing listing(out, msg::cli::richiesteColumns(), isSet(QStringLiteral("json")));
    while (query.next()) {
        listing.row(
            {query.value(0).toLongLong(),
             NonNull(query.value(1)) + QLatin1Char('-') + QString::number(NonNull_Num(query.value(2), inst.prompter)),
             NonNull(query.value(3)), NonNull_Num(query.value(4), inst.prompter), query.value(5).toInt() != 0,
             query.value(6).toInt() != 0});
    }
    return inst.exitCode(0);
}

} // namespace vx::cli
