#include "cli/RefdataCommands.h"

#include "core/IniFile.h"
#include "core/Settings.h"
#include "refdata/DecodeTables.h"
#include "refdata/RegistryDownload.h"
#include "refdata/RegistryUpdate.h"
#include "net/Exchange.h"

#include <QFileInfo>

#include <algorithm>

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
    case refdata::DecodeTables::Outcome::Failed: // told through the prompter
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

int ScaricaAnagrafeCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                                    QTextStream& err)
{
    refdata::OperatorList list;
    for (const QString& argument : arguments) {
        OperatorEntry entry;
        // The key alone: an entry's text may carry the name after it, an argument may not.
        const bool blank = std::any_of(argument.cbegin(), argument.cend(), [](QChar c) { return c.isSpace(); });
        if (blank || !OperatorEntry::parse(argument, entry.group, entry.code)) {
            printError(err, QStringLiteral("Operatore non valido: ") + argument +
                                QStringLiteral(" (atteso gruppo e codice, per esempio A-12)"));
            return kUsage;
        }
        if (list.add(entry) == refdata::OperatorList::AddResult::Full) {
            printError(err, QStringLiteral("E' stato raggiunto il limite massimo di aziende scaricabili da Internet"));
            return kUsage;
        }
    }
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadWrite))
        return kFailed;
    CommandContext run(inst, out, err);
    refdata::RegistryUpdate update(run.ctx);
    if (!update.mayUpdate())
        return kFailed;
    if (arguments.isEmpty() && !list.fill(inst.db, run.prompter))
        return kFailed;

    Exchange exchange(ExchangeSettings::from(Settings::read(IniFile(inst.state.programFolder))));
    refdata::RegistryDownload download(run.ctx, exchange);
    if (download.run(list.entries()) != refdata::RegistryDownload::Outcome::Downloaded)
        return kFailed;
    const auto outcome = update.aggiornaBaseDati();
    if (QFileInfo::exists(update.logPath()))
        out << update.logPath() << Qt::endl;
    return outcome == refdata::RegistryUpdate::Outcome::Done ? 0 : kFailed;
}

} // namespace vx::cli
