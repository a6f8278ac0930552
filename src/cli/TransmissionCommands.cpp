#include "cli/TransmissionCommands.h"

#include "Version.h"
#include "assist/EmailCheck.h"
#include "cli/Messages.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "net/Exchange.h"
#include "requests/SelectedRequest.h"
#include "store/Lookups.h"
#include "transmission/RequestDelivery.h"
#include "transmission/TransmissionCheck.h"
#include "transmission/TransmissionFile.h"

#include <QDir>
#include <QFile>

namespace vx::cli {

namespace {
const QString kEmail = QStringLiteral("email");
const QString kOutput = QStringLiteral("uscita");

// The e-mail address of the command line, checked as the screens check it; "" with an error line.
QString emailOf(const QString& address, QTextStream& err)
{
    if (address.isEmpty()) {
        printError(err, msg::cli::text(msg::cli::Text::EmailMissing));
        return QString();
    }
    const QString fault = emailFault(address);
    if (!fault.isEmpty()) {
        printError(err, fault);
        return QString();
    }
    return address;
}

// The Request when it exists and is printed; otherwise an error line and false.
bool printedRequest(Installation& inst, Prompter& prompter, qint32 number, QTextStream& err)
{
    if (!inst.selectRequest(number, prompter))
        return false;
    if (!isPrinted(inst.db, number)) {
        printError(err, msg::cli::notPrinted(number));
        return false;
    }
    return true;
}
} // namespace

QString FileTrasmissioneCommand::description() const
{
    return msg::cli::text(msg::cli::Text::FileTrasmissioneHelp);
}

QList<Command::Argument> FileTrasmissioneCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)}};
}

QList<QCommandLineOption> FileTrasmissioneCommand::options() const
{
    return {QCommandLineOption(kEmail, msg::cli::text(msg::cli::Text::RecordEmailOption), QStringLiteral("INDIRIZZO")),
            QCommandLineOption(kOutput, msg::cli::text(msg::cli::Text::OutputFolderOption),
                               msg::cli::text(msg::cli::Text::FolderPlaceholder))};
}

int FileTrasmissioneCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                                     QTextStream& err)
{
    const qint32 number = requestNumber(arguments.value(0), err);
    if (number == 0)
        return kUsage;
    const QString email = emailOf(value(kEmail), err);
    if (email.isEmpty())
        return kUsage;
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadOnly))
        return kFailed;
    CommandContext run(inst, out, err);
    if (!printedRequest(inst, run.prompter, number, err))
        return kFailed;
    const QString folder = isSet(kOutput) ? QDir::current().absoluteFilePath(value(kOutput)) : QString();
    const QString path = TransmissionFile(run.ctx).create(number, email, folder);
    if (path.isEmpty())
        return kFailed;
    out << QDir::toNativeSeparators(path) << Qt::endl;
    return 0;
}

QString ControllaCommand::description() const
{
    return msg::cli::text(msg::cli::Text::ControllaHelp);
}

QList<Command::Argument> ControllaCommand::arguments() const
{
    return {{QStringLiteral("FILE"), msg::cli::text(msg::cli::Text::FileToCheck)}};
}

int ControllaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                              QTextStream& err)
{
    QFile file(arguments.value(0));
    if (!file.open(QIODevice::ReadOnly)) {
        printError(err, msg::cli::cannotRead(arguments.value(0)));
        return kFailed;
    }
    // The file is also compared with its Request when the installation at hand holds it; a file
    // checked away from any installation is judged by its bytes alone.
    QString unused;
    QTextStream quiet(&unused);
    Installation inst(programFolder, quiet);
    const bool withDatabase = inst.open(Database::Access::ReadOnly);
    const transmission::CheckReport report = transmission::checkFile(file.readAll(), withDatabase ? &inst.db : nullptr);
    out << QString(report.text(QFileInfo(file.fileName()).fileName()))
               .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        << Qt::endl;
    return report.passed() ? 0 : kFailed;
}

QString InviaCommand::description() const
{
    return msg::cli::text(msg::cli::Text::InviaHelp);
}

QList<Command::Argument> InviaCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)}};
}

QList<QCommandLineOption> InviaCommand::options() const
{
    return {QCommandLineOption(kEmail, msg::cli::text(msg::cli::Text::SenderEmailOption), QStringLiteral("INDIRIZZO"))};
}

int InviaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                          QTextStream& err)
{
    const qint32 number = requestNumber(arguments.value(0), err);
    if (number == 0)
        return kUsage;
    const QString email = emailOf(value(kEmail), err);
    if (email.isEmpty())
        return kUsage;
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadWrite))
        return kFailed;
    // The confirmation of the region is the result, on standard output; every failure is an error
    // line, and the exit code says which.
    CommandContext run(inst, out, err);
    if (!printedRequest(inst, run.prompter, number, err))
        return kFailed;
    const Settings settings = Settings::read(IniFile(inst.state.programFolder));
    Exchange exchange(ExchangeSettings::from(settings));
    RequestDelivery delivery(run.ctx, exchange, settings, QString::fromLatin1(kVersionText));
    return delivery.upload(number, email) ? 0 : kFailed;
}

QString TrasmissioniCommand::description() const
{
    return msg::cli::text(msg::cli::Text::TrasmissioniHelp);
}

QList<Command::Argument> TrasmissioniCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::HistoryRequestArgument),
             true}};
}

int TrasmissioniCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                                 QTextStream& err)
{
    qint32 number = 0;
    if (!arguments.isEmpty()) {
        number = requestNumber(arguments.first(), err);
        if (number == 0)
            return kUsage;
    }
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadOnly))
        return kFailed;
    CommandContext run(inst, out, err);
    Listing listing(out, msg::cli::trasmissioniColumns(), isSet(QStringLiteral("json")));
    for (const TransmissionRecord& row : transmissionHistory(run.ctx, number)) {
        listing.row({row.when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")), row.numDoma, row.fileName, row.size,
                     row.sha256, row.outcome, row.answer});
    }
    return inst.exitCode(0);
}

} // namespace vx::cli
