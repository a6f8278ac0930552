#include "cli/BackupCommands.h"

#include "backup/DatabaseBackup.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"

#include <QDir>

namespace vx::cli {

namespace {
// What the backup screen says, as lines: its confirmations on standard output, the rest as
// error lines.
class BackupPrompter : public Prompter {
public:
    BackupPrompter(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}
    Answer ask(const Message& message) override
    {
        if (message.icon == Icon::Information)
            m_out << message.text << Qt::endl;
        else
            printError(m_err, QString(message.text).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified());
        return message.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    }
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }

private:
    QTextStream& m_out;
    QTextStream& m_err;
};

class NoDesktop : public Desktop {
public:
    bool openUrl(const QUrl&) override { return false; }
    bool showTextFile(const QString&) override { return false; }
};

int runBackup(const QString& programFolder, QTextStream& out, QTextStream& err, bool checkOpens,
              const std::function<DatabaseBackup::Outcome(DatabaseBackup&)>& work)
{
    Installation inst(programFolder, err);
    // The backup reads the database as the program would (a program holding it alone refuses);
    // the restore needs only the settings: a damaged database is what it is for.
    if (checkOpens ? !inst.open(Database::Access::ReadOnly) : !inst.load())
        return kFailed;
    inst.db.close();
    BackupPrompter prompter(out, err);
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx{inst.state, inst.db, prompter, control, desktop, clock};
    DatabaseBackup backup(ctx);
    return work(backup) == DatabaseBackup::Outcome::Done ? 0 : kFailed;
}
} // namespace

int BackupCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                           QTextStream& err)
{
    const QString archive = QDir::current().absoluteFilePath(arguments.value(0));
    return runBackup(programFolder, out, err, true, [&](DatabaseBackup& backup) { return backup.backup(archive); });
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
