#include "cli/RoleTransferCommands.h"

#include "cli/Messages.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "requests/SelectedRequest.h"
#include "roles/Messages.h"
#include "roles/RoleColumns.h"
#include "roles/RoleList.h"
#include "roles/RoleTransfer.h"
#include "store/ErrorAdvice.h"
#include "store/Lookups.h"

#include <QDir>
#include <QFileInfo>

namespace vx::cli {

namespace {

// An installation with the command line's Request selected, as the roles list has it.
struct Session {
    Installation inst;
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx{inst.state, inst.db, inst.prompter, control, desktop, clock};

    Session(const QString& folder, QTextStream& err) : inst(folder, err) {}
};

// The full path of the file to import, or an empty text (and the error line) when its kind is
// not one the import reads.
QString importPath(const QString& argument, QTextStream& err)
{
    static const QStringList known{QStringLiteral("xlsx"), QStringLiteral("ods"), QStringLiteral("xls"),
                                   QStringLiteral("txt")};
    const QString path = QDir::current().absoluteFilePath(argument);
    if (known.contains(QFileInfo(path).suffix().toLower()))
        return path;
    printError(err, msg::cli::unknownFileType(argument));
    return QString();
}

// The file's rows, or an error line and an empty list with `ok` false.
QList<ImportedRow> readRows(RoleTransfer& transfer, const QString& path, QTextStream& err, bool& ok)
{
    QString reason;
    QList<ImportedRow> rows = transfer.readFile(path, &ok, &reason);
    if (!ok)
        printError(err, msg::cli::unreadable(path, reason));
    return rows;
}

} // namespace

QString EsportaCommand::description() const
{
    return msg::cli::text(msg::cli::Text::EsportaHelp);
}

QList<Command::Argument> EsportaCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)}};
}

QList<QCommandLineOption> EsportaCommand::options() const
{
    return {QCommandLineOption(QStringLiteral("xlsx"), msg::cli::text(msg::cli::Text::XlsxOption)),
            QCommandLineOption(QStringLiteral("txt"), msg::cli::text(msg::cli::Text::TxtOption)),
            QCommandLineOption(QStringLiteral("file"), msg::cli::text(msg::cli::Text::FileOption),
                               QStringLiteral("PERCORSO"))};
}

int EsportaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                            QTextStream& err)
{
    const bool sheet = isSet(QStringLiteral("xlsx"));
    if (sheet == isSet(QStringLiteral("txt"))) {
        printError(err, msg::cli::text(msg::cli::Text::OneExportFormat));
        return kUsage;
    }
    Session s(programFolder, err);
    if (const int code = s.inst.openRequest(arguments.value(0), Database::Access::ReadOnly))
        return code;
    RoleTransfer transfer(s.ctx);
    const auto format = sheet ? RoleTransfer::Format::Sheet : RoleTransfer::Format::Text;
    const QString path = isSet(QStringLiteral("file")) ? QDir::current().absoluteFilePath(value(QStringLiteral("file")))
                                                       : transfer.exportPath(format);
    QString reason;
    if (!transfer.writeFile(format, path, &reason)) {
        printError(err, msg::cli::exportFailed(path, reason));
        return kFailed;
    }
    out << path << Qt::endl;
    return s.inst.exitCode(0);
}

QString VerificaCommand::description() const
{
    return msg::cli::text(msg::cli::Text::VerificaHelp);
}

QList<Command::Argument> VerificaCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)},
            {QStringLiteral("FILE"), msg::cli::fileToVerify()}};
}

int VerificaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                             QTextStream& err)
{
    const QString path = importPath(arguments.value(1), err);
    if (path.isEmpty())
        return kUsage;
    Session s(programFolder, err);
    if (const int code = s.inst.openRequest(arguments.value(0), Database::Access::ReadOnly))
        return code;
    RoleTransfer transfer(s.ctx);
    bool ok = false;
    const QList<ImportedRow> rows = readRows(transfer, path, err, ok);
    if (!ok)
        return kFailed;
    const ImportReport report = transfer.verify(rows);
    // The lines as the report file holds them.
    for (const QString& line : report.lines)
        out << line << QStringLiteral("\r\n");
    out.flush();
    return report.passed() ? s.inst.exitCode(0) : kFailed;
}

QString ImportaCommand::description() const
{
    return msg::cli::text(msg::cli::Text::ImportaHelp);
}

QList<Command::Argument> ImportaCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)},
            {QStringLiteral("FILE"), msg::cli::fileToImport()}};
}

int ImportaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                            QTextStream& err)
{
    const QString path = importPath(arguments.value(1), err);
    if (path.isEmpty())
        return kUsage;
    Session s(programFolder, err);
    if (const int code = s.inst.openRequest(arguments.value(0), Database::Access::ReadWrite))
        return code;
    const qint32 n = s.inst.state.selected.number;
    if (isPrinted(s.inst.db, n)) {
        printError(err, msg::cli::text(msg::cli::Text::ImportOnPrinted));
        return kFailed;
    }
    RoleTransfer transfer(s.ctx);
    bool ok = false;
    const QList<ImportedRow> rows = readRows(transfer, path, err, ok);
    if (!ok)
        return kFailed;
    if (rows.isEmpty()) {
        printError(err, msg::cli::nothingToImport(path));
        return kFailed;
    }
    const ImportReport report = transfer.verify(rows);
    if (!report.passed()) {
        for (const QString& line : report.lines)
            out << line << QStringLiteral("\r\n");
        printError(err, msg::cli::importRefused());
        return kFailed;
    }
    // The Request's state is read again under the write lock: another workstation may have
    // printed or deleted it while the file was read.
    roles::RequestState found = roles::RequestState::Unknown;
    if (!transfer.replaceRows(rows, &found)) {
        if (found == roles::RequestState::Printed)
            printError(err, msg::cli::text(msg::cli::Text::ImportOnPrinted));
        else if (found == roles::RequestState::Gone)
            printError(err, msg::roles::importRequestGone(n).text);
        else
            printError(err, errorLines(s.inst.db.lastError()));
        return kFailed;
    }
    bool counted = false;
    const qsizetype held = rolesOf(s.inst.db, n, &counted).size();
    out << msg::cli::importedRows(n, held) << Qt::endl;
    return s.inst.exitCode(counted ? 0 : kFailed);
}

} // namespace vx::cli
