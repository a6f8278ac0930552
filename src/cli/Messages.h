#pragma once
// What veltranorpx-cli itself tells its user: the help, the errors of its command lines and the
// headings of its listings, once. The messages of the core routines it runs come from their own
// catalogues.

#include <QString>
#include <QStringList>

namespace vx::msg::cli {

QString program();

// The help.
QString usageLabel();
QString commandsHeading();
QString argumentsHeading();
QString optionsHeading();
QString commandPlaceholder();
QString argumentsPlaceholder();
QString folderPlaceholder();
QString folderOption();
QString helpOption();
QString jsonOption();
QString jsonObjectOption();
QString helpCommand();
QString requestArgument(); // the name of the Request number argument
QString requestArgumentHelp();
QString infoHelp();
QString richiesteHelp();
QString ruoliHelp();
QString backupHelp();
QString backupArchive();
QString ripristinaHelp();
QString ripristinaArchive();
QString keepOption();
QString migraHelp();
QString serverOption();
QString portOption();
QString databaseNameOption();
QString tlsOption();
QString caOption();
QString migrationFileOption();
QString migrationUsage();
QString badPort(const QString& text);
// The first line of a move's output; the tables' counts and sums follow.
QString migrationDone(const QString& where);
QString stampaHelp();
QString draftOption();
QString definitiveOption();
QString pdfWhereOption();
QString elencoHelp();
QString pdfRequiredOption();
QString esportaHelp();
QString xlsxOption();
QString txtOption();
QString fileOption();
QString verificaHelp();
QString fileToVerify();
QString importaHelp();
QString fileToImport();
QString fileTrasmissioneHelp();
QString recordEmailOption();
QString outputFolderOption();
QString controllaHelp();
QString fileToCheck();
QString inviaHelp();
QString senderEmailOption();
QString trasmissioniHelp();
QString historyRequestArgument();
QString aggiornaTabelleHelp();
QString aggiornaAnagrafeHelp();
QString scaricaAnagrafeHelp();
QString operatorArgument();

// The command line itself.
QString seeHelp(const QString& error);
QString unknownOption(const QString& name);
// A negative number where an argument is a positive one.
QString negativeValue(const QString& text);
QString missingValue(const QString& option);
QString unexpectedValue(const QString& option);
QString missingCommand();
QString unknownCommand(const QString& name);
QString takesNoArguments(const QString& command);
QString usage(const QString& command, const QStringList& arguments);

// The installation and the Request a command works on.
QString iniMissing(const QString& path);
QString notInstalled();
QString badRequestNumber(const QString& text);
QString requestNotFound(qint32 number);

// Commands.
QString oneExportFormat();
QString exportFailed(const QString& path, const QString& reason);
QString unknownFileType(const QString& argument);
QString unreadable(const QString& path, const QString& reason);
QString nothingToImport(const QString& path);
QString importRefused();
QString importOnPrinted();
QString importedRows(qint32 number, qsizetype rows);
QString draftOrDefinitive();
QString pdfMissing();
QString emailMissing();
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
