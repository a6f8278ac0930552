#include "cli/RoleTransferCommands.h"

#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "requests/SelectedRequest.h"
#include "roles/RoleList.h"
#include "roles/RoleTransfer.h"
#include "store/ErrorAdvice.h"
#include "store/Lookups.h"

#include <QDir>
#include <QFileInfo>

namespace vx::cli {

namespace {

// An installation with Request `number` selected, as the roles list has it.
struct Session {
    Installation inst;
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx{inst.state, inst.db, inst.prompter, control, desktop, clock};

    Session(const QString& folder, QTextStream& err) : inst(folder, err) {}

    // kUsage, kFailed or 0.
    int open(const QString& numberText, Database::Access access, QTextStream& err)
    {
        bool number = false;
        const qint32 n = numberText.toInt(&number);
        if (!number) {
            printError(err, QStringLiteral("Il numero della richiesta non è un numero: ") + numberText);
            return kUsage;
        }
        if (!inst.open(access))
            return kFailed;
        QSqlQuery exists = inst.db.query();
        if (!inst.db.exec(exists, QStringLiteral("SELECT 1 FROM Domande WHERE NumDoma = ?"), {n})) {
            printError(err, errorLines(inst.db.lastError()));
            return kFailed;
        }
        if (!exists.next()) {
            printError(err, QStringLiteral("Richiesta %1 non trovata.").arg(n));
            return kFailed;
        }
        exists.finish();
        inst.state.selected = loadSelectedRequest(inst.db, inst.prompter, n);
        return 0;
    }
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
    printError(err, QStringLiteral("Tipo di file non riconosciuto: ") + argument);
    return QString();
}

// The file's rows, or an error line and an empty list with `ok` false.
QList<ImportedRow> readRows(RoleTransfer& transfer, const QString& path, QTextStream& err, bool& ok)
{
    QString reason;
    QList<ImportedRow> rows = transfer.readFile(path, &ok, &reason);
    if (!ok)
        printError(err, QStringLiteral("Il file '") + path + QStringLiteral("' non è leggibile: ") + reason);
    return rows;
}

} // namespace

QList<QCommandLineOption> EsportaCommand::options() const
{
    return {QCommandLineOption(QStringLiteral("xlsx"), QStringLiteral("esporta il foglio ExportRichiesta_N.xlsx")),
            QCommandLineOption(QStringLiteral("txt"), QStringLiteral("esporta il file di testo ExportRuoli_N.txt")),
            QCommandLineOption(QStringLiteral("file"),
                               QStringLiteral("scrive in PERCORSO invece che nella cartella del programma"),
                               QStringLiteral("PERCORSO"))};
}

int EsportaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                            QTextStream& err)
{
    const bool sheet = isSet(QStringLiteral("xlsx"));
    if (sheet == isSet(QStringLiteral("txt"))) {
        printError(err, QStringLiteral("Indicare una sola delle opzioni --xlsx e --txt."));
        return kUsage;
    }
    Session s(programFolder, err);
    if (const int code = s.open(arguments.value(0), Database::Access::ReadOnly, err))
        return code;
    RoleTransfer transfer(s.ctx);
    const auto format = sheet ? RoleTransfer::Format::Sheet : RoleTransfer::Format::Text;
    const QString path = isSet(QStringLiteral("file")) ? QDir::current().absoluteFilePath(value(QStringLiteral("file")))
                                                       : transfer.exportPath(format);
    QString reason;
    if (!transfer.writeFile(format, path, &reason)) {
        printError(err, QStringLiteral("Non è stato possibile creare il file ") + path + QStringLiteral(": ") + reason);
        return kFailed;
    }
    out << path << Qt::endl;
    return s.inst.exitCode(0);
}

int VerificaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                             QTextStream& err)
{
    const QString path = importPath(arguments.value(1), err);
    if (path.isEmpty())
        return kUsage;
    Session s(programFolder, err);
    if (const int code = s.open(arguments.value(0), Database::Access::ReadOnly, err))
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

int ImportaCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                            QTextStream& err)
{
    const QString path = importPath(arguments.value(1), err);
    if (path.isEmpty())
        return kUsage;
    Session s(programFolder, err);
    if (const int code = s.open(arguments.value(0), Database::Access::ReadWrite, err))
        return code;
    const qint32 n = s.inst.state.selected.number;
    if (isPrinted(s.inst.db, n)) {
        printError(err, QStringLiteral("Operazione di importazione non effettuable. Per la richiesta selezionata è già "
                                       "avvenuta la stampa definitiva."));
        return kFailed;
    }
    RoleTransfer transfer(s.ctx);
    bool ok = false;
    const QList<ImportedRow> rows = readRows(transfer, path, err, ok);
    if (!ok)
        return kFailed;
    if (rows.isEmpty()) {
        printError(err, QStringLiteral("Il file '") + path +
                            QStringLiteral("' non contiene righe da importare. I dati della richiesta non sono stati "
                                           "modificati."));
        return kFailed;
    }
    const ImportReport report = transfer.verify(rows);
    if (!report.passed()) {
        for (const QString& line : report.lines)
            out << line << QStringLiteral("\r\n");
        printError(err, QStringLiteral("Importazione non eseguita. causa anomalia dati."));
        return kFailed;
    }
    if (!transfer.replaceRows(rows)) {
        printError(err, errorLines(s.inst.db.lastError()));
        return kFailed;
    }
    bool counted = false;
    const qsizetype held = rolesOf(s.inst.db, n, &counted).size();
    out << QStringLiteral("La richiesta %1 contiene ora %2 righe di soggetti e ruoli.").arg(n).arg(held) << Qt::endl;
    return s.inst.exitCode(counted ? 0 : kFailed);
}

} // namespace vx::cli
