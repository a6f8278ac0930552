#include "cli/BackupCommands.h"

#include "backup/DatabaseBackup.h"
#include "cli/Messages.h"

#include <QDir>

namespace vx::cli {

namespace {
int runBackup(const QString& programFolder, QTextStream& out, QTextStream& err, bool checkOpens,
              const std::function<DatabaseBackup::Outcome(DatabaseBackup&)>& work)
{
    Installation inst(programFolder, err);
    // The backup reads the database as the program would (a program holding it alone refuses);
    // the restore needs only the settings: a damaged database is what it is for.
    if (checkOpens ? !inst.open(Database::Access::ReadOnly) : !inst.load())
        return kFailed;
    inst.db.close();
    CommandContext run(inst, out, err);
    DatabaseBackup backup(run.ctx);
    return work(backup) == DatabaseBackup::Outcome::Done ? 0 : kFailed;
}
} // namespace

QString BackupCommand::description() const
{
    return msg::cli::backupHelp();
}

QList<Command::Argument> BackupCommand::arguments() const
{
    return {{QStringLiteral("ARCHIVIO"), msg::cli::backupArchive()}};
}

int BackupCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                           QTextStream& err)
{
    const QString archive = QDir::current().absoluteFilePath(arguments.value(0));
    return runBackup(programFolder, out, err, true, [&](DatabaseBackup& backup) { return backup.backup(archive); });
}

QString RipristinaCommand::description() const
{
    return msg::cli::ripristinaHelp();
}

QList<Command::Argument> RipristinaCommand::arguments() const
{
    return {{QStringLiteral("ARCHIVIO"), msg::cli::ripristinaArchive()}};
}

QList<QCommandLineOption> RipristinaCommand::options() const
{
    return {QCommandLineOption(QStringLiteral("conserva"), msg::cli::keepOption())};
}

int RipristinaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                               QTextStream& err)
{
    const QString archive = QDir::current().absoluteFilePath(arguments.value(0));
    const bool keep = isSet(QStringLiteral("conserva"));
    return runBackup(programFolder, out, err, false,
                     [&](DatabaseBackup& backup) { return backup.restore(archive, keep); });
}

} // namespace vx::cli
