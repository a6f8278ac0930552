#pragma once
// What veltranorpx-cli itself tells its user: the help, the errors of its command lines and the
// headings of its listings, once. The messages of the core routines it runs come from their own
// catalogues.

#include <QString>
#include <QStringList>

namespace vx::msg::cli {

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    Program,
    // The help.
    UsageLabel,
    CommandsHeading,
    ArgumentsHeading,
    OptionsHeading,
    CommandPlaceholder,
    ArgumentsPlaceholder,
    FolderPlaceholder,
    HelpOption,
    JsonOption,
    JsonObjectOption,
    HelpCommand,
    RequestArgument, // the name of the Request number argument
    RequestArgumentHelp,
    InfoHelp,
    RichiesteHelp,
    RuoliHelp,
    BackupHelp,
    BackupArchive,
    RipristinaHelp,
    RipristinaArchive,
    KeepOption,
    MigraHelp,
    ServerOption,
    PortOption,
    DatabaseNameOption,
    TlsOption,
    CaOption,
    MigrationFileOption,
    MigrationUsage,
    StampaHelp,
    DraftOption,
    DefinitiveOption,
    PdfWhereOption,
    ElencoHelp,
    PdfRequiredOption,
    EsportaHelp,
    XlsxOption,
    TxtOption,
    FileOption,
    VerificaHelp,
    ImportaHelp,
    FileTrasmissioneHelp,
    RecordEmailOption,
    OutputFolderOption,
    ControllaHelp,
    FileToCheck,
    InviaHelp,
    SenderEmailOption,
    TrasmissioniHelp,
    HistoryRequestArgument,
    AggiornaTabelleHelp,
    AggiornaAnagrafeHelp,
    ScaricaAnagrafeHelp,
    OperatorArgument,
    MissingCommand,
    NotInstalled,
    // Commands.
    OneExportFormat,
    ImportOnPrinted,
    DraftOrDefinitive,
    PdfMissing,
    EmailMissing,
};
QString text(Text id);

// The help.
QString folderOption();
QString badPort(const QString& text);
// The first line of a move's output; the tables' counts and sums follow.
QString migrationDone(const QString& where);
QString fileToVerify();
QString fileToImport();

// The command line itself.
QString seeHelp(const QString& error);
QString unknownOption(const QString& name);
// A negative number where an argument is a positive one.
QString negativeValue(const QString& text);
QString missingValue(const QString& option);
QString unexpectedValue(const QString& option);
QString unknownCommand(const QString& name);
QString takesNoArguments(const QString& command);
QString usage(const QString& command, const QStringList& arguments);

// The installation and the Request a command works on.
QString iniMissing(const QString& path);
QString badRequestNumber(const QString& text);
QString requestNotFound(qint32 number);

// Commands.
QString exportFailed(const QString& path, const QString& reason);
QString unknownFileType(const QString& argument);
QString unreadable(const QString& path, const QString& reason);
QString nothingToImport(const QString& path);
QString importRefused();
QString importedRows(qint32 number, qsizetype rows);
QString notPrinted(qint32 number);
QString cannotRead(const QString& path);
QString badOperator(const QString& argument);
QString operatorLimit();
// aggiorna-anagrafe with no registry file and no decode-table flag in `folder`.
QString nothingToLoad(const QString& folder);
// A decode-table file found empty stopped the load of the tables.
QString emptyTableFile(const QString& path);

// The listings' headings (the keys of their JSON objects).
QStringList infoLabels();
QStringList richiesteColumns();
QStringList trasmissioniColumns();

} // namespace vx::msg::cli
