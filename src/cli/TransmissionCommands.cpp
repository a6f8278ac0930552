#include "cli/TransmissionCommands.h"

#include "Version.h"
#include "assist/EmailCheck.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "requests/SelectedRequest.h"
#include "store/Lookups.h"
#include "net/Exchange.h"
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
        printError(err, QStringLiteral("Manca l'opzione --email INDIRIZZO."));
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
        printError(err, QStringLiteral("La Richiesta %1 non è stata stampata in definitivo: nessun file di "
                                       "trasmissione scritto.")
                            .arg(number));
        return false;
    }
    return true;
}
} // namespace

QList<QCommandLineOption> FileTrasmissioneCommand::options() const
{
    return {QCommandLineOption(kEmail, QStringLiteral("l'indirizzo e-mail del record A (obbligatorio)"),
                               QStringLiteral("INDIRIZZO")),
            QCommandLineOption(kOutput, QStringLiteral("la cartella del file (predefinita: la cartella del programma)"),
                               QStringLiteral("CARTELLA"))};
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

int ControllaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                              QTextStream& err)
{
    QFile file(arguments.value(0));
    if (!file.open(QIODevice::ReadOnly)) {
        printError(err, QStringLiteral("Impossibile leggere il file ") + arguments.value(0));
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

QList<QCommandLineOption> InviaCommand::options() const
{
    return {QCommandLineOption(kEmail, QStringLiteral("l'indirizzo e-mail del mittente (obbligatorio)"),
                               QStringLiteral("INDIRIZZO"))};
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
    // Every message, the confirmation included, is a line on standard error for the job's log.
    ConsolePrompter prompter(err);
    CommandContext run(inst, out, err);
    Context ctx{inst.state, inst.db, prompter, run.control, run.desktop, run.clock};
    if (!printedRequest(inst, prompter, number, err))
        return kFailed;
    const Settings settings = Settings::read(IniFile(inst.state.programFolder));
    Exchange exchange(ExchangeSettings::from(settings));
    RequestDelivery delivery(ctx, exchange, settings, QString::fromLatin1(kVersionText));
    return delivery.upload(number, email) ? 0 : kFailed;
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
    out << QStringLiteral("DataOra\tNumDoma\tNomeFile\tDimensione\tSHA256\tEsito\tRisposta") << Qt::endl;
    for (const TransmissionRecord& row : transmissionHistory(run.ctx, number)) {
        out << row.when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) << '\t' << row.numDoma << '\t'
            << escapeField(row.fileName) << '\t' << row.size << '\t' << row.sha256 << '\t' << escapeField(row.outcome)
            << '\t' << escapeField(row.answer) << Qt::endl;
    }
    return inst.exitCode(0);
}

} // namespace vx::cli
