#include "cli/PrintCommands.h"

#include "cli/Messages.h"
#include "print/PrintRegistration.h"
#include "print/RequestPrint.h"
#include "requests/SelectedRequest.h"
#include "store/Lookups.h"

#include <QDir>

namespace vx::cli {

namespace {
const QString kDraft = QStringLiteral("bozza");
const QString kDefinitive = QStringLiteral("definitiva");
const QString kPdf = QStringLiteral("pdf");

QCommandLineOption pdfOption(const QString& description)
{
    return QCommandLineOption(kPdf, description, QStringLiteral("FILE"));
}

} // namespace

QString StampaCommand::description() const
{
    return msg::cli::text(msg::cli::Text::StampaHelp);
}

QList<Command::Argument> StampaCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)}};
}

QList<QCommandLineOption> StampaCommand::options() const
{
    return {QCommandLineOption(kDraft, msg::cli::text(msg::cli::Text::DraftOption)),
            QCommandLineOption(kDefinitive, msg::cli::text(msg::cli::Text::DefinitiveOption)),
            pdfOption(msg::cli::text(msg::cli::Text::PdfWhereOption))};
}

int StampaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                           QTextStream& err)
{
    if (isSet(kDraft) && isSet(kDefinitive)) {
        printError(err, msg::cli::text(msg::cli::Text::DraftOrDefinitive));
        return kUsage;
    }
    const qint32 number = requestNumber(arguments.value(0), err);
    if (number == 0)
        return kUsage;
    const bool definitive = isSet(kDefinitive);
    Installation inst(programFolder, err);
    if (!inst.open(definitive ? Database::Access::ReadWrite : Database::Access::ReadOnly))
        return kFailed;
    CommandContext run(inst, out, err);
    if (!inst.selectRequest(number, run.prompter))
        return kFailed;
    // A Request is never registered with content its transmission file could not carry.
    if (definitive && !inst.state.selected.printed && !PrintRegistration(run.ctx).sendableBeforeRegistering())
        return kFailed;
    const QString pdf = isSet(kPdf) ? QDir::current().absoluteFilePath(value(kPdf)) : QString();
    const PrintOutcome outcome =
        printRequestPdf(inst.db, inst.state.programFolder, number, definitive ? PrintType::Original : PrintType::Draft,
                        run.clock.now().date(), pdf);
    if (!outcome.ok) {
        printError(err, outcome.error);
        return kFailed;
    }
    out << QDir::toNativeSeparators(outcome.path) << Qt::endl;
    if (definitive && !inst.state.selected.printed && !PrintRegistration(run.ctx).registraStampa())
        return kFailed;
    return 0;
}

QString ElencoCommand::description() const
{
    return msg::cli::text(msg::cli::Text::ElencoHelp);
}

QList<Command::Argument> ElencoCommand::arguments() const
{
    return {{msg::cli::text(msg::cli::Text::RequestArgument), msg::cli::text(msg::cli::Text::RequestArgumentHelp)}};
}

QList<QCommandLineOption> ElencoCommand::options() const
{
    return {pdfOption(msg::cli::text(msg::cli::Text::PdfRequiredOption))};
}

int ElencoCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                           QTextStream& err)
{
    const qint32 number = requestNumber(arguments.value(0), err);
    if (number == 0)
        return kUsage;
    if (!isSet(kPdf) || value(kPdf).isEmpty()) {
        printError(err, msg::cli::text(msg::cli::Text::PdfMissing));
        return kUsage;
    }
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadOnly))
        return kFailed;
    const QString pdf = QDir::current().absoluteFilePath(value(kPdf));
    const PrintOutcome outcome = printListingPdf(inst.db, number, QDate::currentDate(), print::Ending::PageNumber, pdf);
    if (!outcome.ok) {
        printError(err, outcome.error);
        return kFailed;
    }
    out << QDir::toNativeSeparators(outcome.path) << Qt::endl;
    return 0;
}

} // namespace vx::cli
