#include "cli/RefdataCommands.h"

#include "cli/Messages.h"
#include "net/Exchange.h"
#include "refdata/DecodeTables.h"
#include "refdata/RegistryDownload.h"
#include "refdata/RegistryUpdate.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace vx::cli {

namespace {
// The decode-table load stops at an empty table file when nobody is there to say to go on past
// it: the file is named, since the offer to go on was declined without a word.
void tellEmptyTable(const QString& programFolder, QTextStream& err)
{
    const QDir folder(programFolder);
    for (const refdata::DecodeTable& table : refdata::decodeTables()) {
        const QFileInfo file(folder.filePath(table.file));
        if (file.exists() && file.size() == 0) {
            printError(err, msg::cli::emptyTableFile(QDir::toNativeSeparators(file.absoluteFilePath())));
            return;
        }
    }
}

// The registry update with its log's path on standard output when notes were written to it.
int updateRegistry(refdata::RegistryUpdate& update, const QString& programFolder, QTextStream& out, QTextStream& err)
{
    const auto outcome = update.aggiornaBaseDati();
    if (outcome == refdata::RegistryUpdate::Outcome::EndProgram)
        tellEmptyTable(programFolder, err);
    if (QFileInfo::exists(update.logPath()))
        out << QDir::toNativeSeparators(update.logPath()) << Qt::endl;
    return outcome == refdata::RegistryUpdate::Outcome::Done ? 0 : kFailed;
}
} // namespace

QString AggiornaTabelleCommand::description() const
{
    return msg::cli::text(msg::cli::Text::AggiornaTabelleHelp);
}

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
        tellEmptyTable(inst.state.programFolder, err);
        break;
    }
    return kFailed;
}

QString AggiornaAnagrafeCommand::description() const
{
    return msg::cli::text(msg::cli::Text::AggiornaAnagrafeHelp);
}

int AggiornaAnagrafeCommand::execute(const QString& programFolder, const QStringList&, QTextStream& out,
                                     QTextStream& err)
{
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadWrite))
        return kFailed;
    CommandContext run(inst, out, err);
    refdata::RegistryUpdate update(run.ctx);
    if (!update.mayUpdate())
        return kFailed;
    // Without the operators' file and without a decode-table flag there is nothing to load; the
    // update is not started, so that the log of an earlier update stays where it was announced.
    const QDir folder(inst.state.programFolder);
    const QString inputs[] = {refdata::kOperFile, refdata::kInstallFlag, refdata::kUpdateFlag};
    if (std::none_of(std::begin(inputs), std::end(inputs),
                     [&](const QString& name) { return QFileInfo::exists(folder.filePath(name)); })) {
        printError(err, msg::cli::nothingToLoad(QDir::toNativeSeparators(QDir::cleanPath(folder.path()))));
        return kFailed;
    }
    return updateRegistry(update, inst.state.programFolder, out, err);
}

QString ScaricaAnagrafeCommand::description() const
{
    return msg::cli::text(msg::cli::Text::ScaricaAnagrafeHelp);
}

QList<Command::Argument> ScaricaAnagrafeCommand::arguments() const
{
    return {{QStringLiteral("OPERATORE"), msg::cli::text(msg::cli::Text::OperatorArgument), true, true}};
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
            printError(err, msg::cli::badOperator(argument));
            return kUsage;
        }
        if (list.add(entry) == refdata::OperatorList::AddResult::Full) {
            printError(err, msg::cli::operatorLimit());
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

    Exchange exchange(ExchangeSettings::ofInstallation(inst.state.programFolder));
    refdata::RegistryDownload download(run.ctx, exchange);
    if (download.run(list.entries()) != refdata::RegistryDownload::Outcome::Downloaded)
        return kFailed;
    return updateRegistry(update, inst.state.programFolder, out, err);
}

} // namespace vx::cli
