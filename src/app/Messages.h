#pragma once
// What start-up, the installation, the options and the main screen tell the user: every message,
// title and caption, once. Code shows them from here and tests name the one they expect; the
// letters are the ones the program has always shown.

#include "core/Prompter.h"

#include <QString>

namespace vx {
struct DbError;
}

namespace vx::msg::app {

// The frame window's caption, which the splash window and the program's help repeat.
QString frameCaption();
QString productName();

// The installation screens.
Message noDatabaseChosen();
Message notADatabase();
Message databaseFileMissing();
Message abortInstallation();
Message chooseVersion();
QString installationCaption(); // "Installazione": the question's title and the options' frame
QString installationScreenCaption();
QString databaseFrame();
QString localOption();
QString sharedOption();
QString databasePathLabel();
QString browseCaption();
QString saveCaption();
QString exitCaption();
QString helpCaption();
QString cancelCaption();
QString okCaption();
FileChoice databaseChoice(const QString& folder);
QString versionScreenCaption();
QString versionFrame();
QString versionQuestion();
QString versionNote();

// Start-up.
QString initErrorTitle();
// "Impossibile trovare il file " and `path`.
QString fileNotFound(const QString& path);
// "File base dati non presente." and `path`, as the first line of databaseMissing.
QString databaseNotFound(const QString& path);
Message iniMissing();
Message invalidSettings();
Message databaseMissing(const QString& path);
// The database could not be opened: `e` with the advice that goes with it.
Message openFailed(const DbError& e);
Message databaseHeld(const DbError& e);
// Moving the database between engines (DatabaseMigration): why it did not happen, and the outcome.
QString migrationSameEngine();
QString migrationSourceBusy(const QString& error);
QString migrationTargetUnusable(const QString& error);
QString migrationTargetNotEmpty(const QString& where);
QString migrationFileExists(const QString& path);
QString migrationSumsDiffer();
Message migrationDone(const QString& where);
Message migrationFailed(const QString& problem);
// The fields of a database on a server.
QString serverOption();
QString serverHostLabel();
QString serverPortLabel();
QString serverDatabaseLabel();
QString serverTlsLabel();
QString serverCaLabel();
QString serverUserLabel();
QString serverUserPlaceholder();
QString tlsModeCaption(const QString& mode);
FileChoice serverCaChoice(const QString& folder);
Message serverChoiceIncomplete();
Message serverTlsUnknown(const QString& mode);
Message serverCaMissing(const QString& path);
QString moveDatabaseCaption();
QString fileEngineOption();
// A server installation whose INI lacks the server or the database's name.
Message serverSettingsIncomplete();
// The user's password on the database server (`again` after one that was refused).
QString databasePassword(const QString& where, bool again);
QString databasePasswordTitle();
// An empty database on the server: lay the program's tables out on it?
Message createTablesQuestion(const QString& where);
Message databaseReadOnly(const DbError& e, const QString& path);
// The same on a server (`where` names the database and its server).
Message serverReadOnly(const DbError& e, const QString& where);
// The first start of the installed program: where to lay the installation.
Message chooseInstallationFolder(const QString& proposed);
QString installationFolderTitle();
Message installationFolderNotWritable(const QString& path);
// A system folder chosen for an installation.
Message systemFolderRefused(const QString& path);
// The command line of the installed program, with no installation chosen yet.
QString noInstallationChosen();
// A database of an earlier version brought up to this program's, its copy as it was at `copy`;
// or the upgrade failed, the database left as it was (`copy` empty when none was made).
QString schemaUpgradeTitle();
Message schemaUpgraded(int from, int to, const QString& copy);
Message schemaUpgradeFailed(const DbError& e, const QString& copy);
// The registry files of a first installation are not all there (`folder` without its last "/").
Message registryFilesMissing(const QString& folder);
Message siteFilesMissing(const QString& folder);
// The steps of the progress window.
QString progressCaption();
QString installingTables();
QString updatingTables();
QString installing();
QString waitTables();
QString wait();
QString fileLabel();
QString tableLabel();
QString recordsLabel();
QString versionLabel(int major, int minor, int revision);

// The options screen.
Message ownMailServerMissing();
// At start, the server named by the installation could not be used (`failure` says why): Retry.
Message serverUnusable(const Message& failure);
// Then: the file used before the server (Yes), the settings again (No), or the end (Cancel); or,
// with no such file, the settings again (Yes) or the end.
Message serverAlternatives(const QString& lastFile);
Message serverSettingsAgain();
// The server chosen in the options could not be used (`failure` says why): nothing was saved.
Message serverNotSaved(const Message& failure);
Message restartNeeded();
Message saveChanges();
QString optionsCaption(); // the screen, and the main screen's command
QString multiutenzaOption();
QString databaseLabel();
QString networkFrame();
QString emailLabel();
QString firstMailServer();
QString secondMailServer();
QString ownMailServer();
QString certificateLabel();
QString certificateTooltip();
FileChoice certificateChoice(const QString& folder);
QString lookFrame();
QString underlineOption();
QString boldOption();
QString colourOption();
QString lastUpdateLabel(const QString& date);

// The main screen.
QString mainCaption(const QString& version);
Message versionInvalid();
Message noRequestSelected();
Message noVerifier();
Message noLegalSeat();
Message noPersons();
enum class Link { Producer, Ministry, Region, SocialFund };
QString linkCaption(Link link);
Message linkQuestion(Link link);
enum class Command { SelDoma, Ruoli, StBozza, Invia1, AggInst, Backup, Opzioni, MailHelp, Help, Esci };
QString commandCaption(Command command);
QString commandHint(Command command);
QString mainTitle();
QString mainSubtitle();
QString disclaimer();
QString selectedRequestFrame();
QString operatorLabel();
QString provinceLabel();
QString numberLabel();
QString showCalendar();
QString hideCalendar();
QString loadingPanel();
QString updatePanel();

// The desktop program's command line.
QString folderOption();
QString exitWhenReadyOption();
QString reservedWordArgument();

} // namespace vx::msg::app
