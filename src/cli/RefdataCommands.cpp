#include "cli/RefdataCommands.h"

#include "refdata/DecodeTables.h"
#include "refdata/RegistryUpdate.h"

#include <QFileInfo>

namespace vx::cli {

int AggiornaTabelleCommand::execute(const QString& programFolder, const QStringList&, QTextStream& out,
                                    QTextStream& err)
{
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadWrite))
        return kFailed;
    CommandContext run(inst, out, err);
    refdata::DecodeTables tables(run.ctx);
    switch (tables.aggiornaTabelleDecodifica()) {
    case refdata::DecodeTables::Outcome::Loaded:
    case refdata::DecodeTables::Outcome::Nothing:
        return 0;
    case refdata::DecodeTables::Outcome::Failed:
        printError(err, tables.lastError());
        return kFailed;
    case refdata::DecodeTables::Outcome::EndProgram:
        break;
    }
    return kFailed;
}

int AggiornaAnagrafeCommand::execute(const QString& programFolder, const QStringList&, QTextStream& out,
                                     QTextStream& err)
{
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadWrite))
        return kFailed;
    CommandContext run(inst, out, err);
    refdata::RegistryUpdate update(run.ctx);
    const auto outcome = update.aggiornaBaseDati();
    if (QFileInfo::exists(update.logPath()))
        out << update.logPath() << Qt::endl;
    return outcome == refdata::RegistryUpdate::Outcome::Done ? 0 : kFailed;
}

} // namespace vx::cli
