#include "cli/BackupCommands.h"

#include "app/DatabaseMigration.h"
#include "app/Installation.h"
#include "app/Messages.h"
#include "backup/DatabaseBackup.h"
#include "cli/Messages.h"
#include "core/IniFile.h"
#include "core/Settings.h"

#include <QDir>
#include <QFileInfo>

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
    return msg::cli::text(msg::cli::Text::BackupHelp);
}

QList<Command::Argument> BackupCommand::arguments() const
{
    return {{QStringLiteral("ARCHIVIO"), msg::cli::text(msg::cli::Text::BackupArchive)}};
}

int BackupCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                           QTextStream& err)
{
    QString archive = QDir::current().absoluteFilePath(arguments.value(0));
    // A folder: the archive of the usual name inside it (not a file named as the folder plus
    // ".zip" beside it).
    if (QFileInfo(archive).isDir())
        archive = QDir(archive).filePath(DatabaseBackup::kDefaultArchive);
    return runBackup(programFolder, out, err, true, [&](DatabaseBackup& backup) { return backup.backup(archive); });
}

QString RipristinaCommand::description() const
{
    return msg::cli::text(msg::cli::Text::RipristinaHelp);
}

QList<Command::Argument> RipristinaCommand::arguments() const
{
    return {{QStringLiteral("ARCHIVIO"), msg::cli::text(msg::cli::Text::RipristinaArchive)}};
}

QList<QCommandLineOption> RipristinaCommand::options() const
{
    return {QCommandLineOption(QStringLiteral("conserva"), msg::cli::text(msg::cli::Text::KeepOption))};
}

int RipristinaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                               QTextStream& err)
{
    const QString archive = QDir::current().absoluteFilePath(arguments.value(0));
    const bool keep = isSet(QStringLiteral("conserva"));
    return runBackup(programFolder, out, err, false,
                     [&](DatabaseBackup& backup) { return backup.restore(archive, keep); });
}

QString MigraCommand::description() const
{
    return msg::cli::text(msg::cli::Text::MigraHelp);
}

QList<QCommandLineOption> MigraCommand::options() const
{
    return {
        QCommandLineOption(QStringLiteral("server"), msg::cli::text(msg::cli::Text::ServerOption),
                           QStringLiteral("HOST")),
        QCommandLineOption(QStringLiteral("porta"), msg::cli::text(msg::cli::Text::PortOption), QStringLiteral("N")),
        QCommandLineOption(QStringLiteral("nome"), msg::cli::text(msg::cli::Text::DatabaseNameOption),
                           QStringLiteral("NOME")),
        QCommandLineOption(QStringLiteral("tls"), msg::cli::text(msg::cli::Text::TlsOption), QStringLiteral("MODO")),
        QCommandLineOption(QStringLiteral("ca"), msg::cli::text(msg::cli::Text::CaOption), QStringLiteral("FILE")),
        QCommandLineOption(QStringLiteral("file"), msg::cli::text(msg::cli::Text::MigrationFileOption),
                           QStringLiteral("FILE"))};
}

int MigraCommand::execute(const QString& programFolder, const QStringList&, QTextStream& out, QTextStream& err)
{
    const bool toServer = isSet(QStringLiteral("server"));
    if (toServer == isSet(QStringLiteral("file")) || (toServer && !isSet(QStringLiteral("nome")))) {
        printError(err, msg::cli::text(msg::cli::Text::MigrationUsage));
        return kUsage;
    }
    Installation inst(programFolder, err);
    if (!inst.load())
        return kFailed;
    DatabaseTarget to;
    if (toServer) {
        bool portOk = true;
        const int port = isSet(QStringLiteral("porta")) ? value(QStringLiteral("porta")).toInt(&portOk)
                                                        : Settings::kDefaultServerPort;
        if (!portOk || port <= 0 || port > 65535) {
            printError(err, msg::cli::badPort(value(QStringLiteral("porta"))));
            return kUsage;
        }
        to.driver = Settings::kServerProvider;
        to.host = value(QStringLiteral("server"));
        to.port = port;
        to.name = value(QStringLiteral("nome"));
        to.tlsMode = value(QStringLiteral("tls"));
        if (!app::tlsModes().contains(to.tlsMode)) {
            printError(err, msg::app::serverTlsUnknown(to.tlsMode).text);
            return kUsage;
        }
        to.caFile = value(QStringLiteral("ca")).isEmpty()
                        ? QString()
                        : QDir::current().absoluteFilePath(value(QStringLiteral("ca")));
        to.user = inst.state.serverUser;
    } else {
        to = DatabaseTarget::file(QDir::current().absoluteFilePath(value(QStringLiteral("file"))));
    }
    IniFile ini(inst.state.programFolder);
    DatabaseMigration migration(inst.state);
    if (migration.move(to, ini) != DatabaseMigration::Outcome::Moved) {
        printError(err, msg::app::migrationFailed(migration.problem()).text);
        return kFailed;
    }
    out << msg::cli::migrationDone(to.where()) << Qt::endl;
    for (auto it = migration.sums().cbegin(); it != migration.sums().cend(); ++it)
        out << it.key() << '\t' << it->rows << '\t' << QString::fromLatin1(it->sha256) << Qt::endl;
    return 0;
}

} // namespace vx::cli
