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

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // The frame window's caption, which the splash window and the program's help repeat.
    FrameCaption,
    InstallationCaption, // "Installazione": the question's title and the options' frame
    InstallationScreenCaption,
    DatabaseFrame,
    LocalOption,
    SharedOption,
    DatabasePathLabel,
    BrowseCaption,
    HelpCaption,
    VersionScreenCaption,
    VersionFrame,
    VersionQuestion,
    VersionNote,
    // Start-up.
    InitErrorTitle,
    // Moving the database between engines (DatabaseMigration): why it did not happen, and the outcome.
    MigrationSameEngine,
    MigrationSumsDiffer,
    // The fields of a database on a server.
    ServerOption,
    ServerHostLabel,
    ServerPortLabel,
    ServerTlsLabel,
    ServerCaLabel,
    ServerUserLabel,
    ServerUserPlaceholder,
    MoveDatabaseCaption,
    FileEngineOption,
    DatabasePasswordTitle,
    InstallationFolderTitle,
    // The command line of the installed program, with no installation chosen yet.
    NoInstallationChosen,
    // A database of an earlier version brought up to this program's, its copy as it was at `copy`;
    // or the upgrade failed, the database left as it was (`copy` empty when none was made).
    SchemaUpgradeTitle,
    InstallingTables,
    UpdatingTables,
    Installing,
    WaitTables,
    FileLabel,
    TableLabel,
    RecordsLabel,
    OptionsCaption, // the screen, and the main screen's command
    MultiutenzaOption,
    DatabaseLabel,
    NetworkFrame,
    EmailLabel,
    FirstMailServer,
    SecondMailServer,
    OwnMailServer,
    CertificateLabel,
    CertificateTooltip,
    LookFrame,
    UnderlineOption,
    BoldOption,
    ColourOption,
    MainTitle,
    MainSubtitle,
    Disclaimer,
    OperatorLabel,
    NumberLabel,
    ShowCalendar,
    HideCalendar,
    // The desktop program's command line.
    FolderOption,
    ExitWhenReadyOption,
    ReservedWordArgument,
    // Titles.
    CheckTitle,
};
QString text(Text id);
// The frame's caption with the maximized main screen's joined, as in any frame window.
QString frameCaptionWith(const QString& screenCaption);

// The frame window's caption, which the splash window and the program's help repeat.
QString productName();

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    // The installation screens.
    NoDatabaseChosen,
    NotADatabase,
    DatabaseFileMissing,
    AbortInstallation,
    ChooseVersion,
    ServerChoiceIncomplete,
    ServerSettingsAgain,
    SaveChanges,
    NoVerifier,
    NoPersons,
};
Message notice(Notice id);

// The installation screens.
FileChoice databaseChoice(const QString& folder);

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
QString migrationSourceBusy(const QString& error);
QString migrationTargetUnusable(const QString& error);
QString migrationTargetNotEmpty(const QString& where);
QString migrationFileExists(const QString& path);
Message migrationDone(const QString& where);
Message migrationFailed(const QString& problem);
// The fields of a database on a server.
QString tlsModeCaption(const QString& mode);
FileChoice serverCaChoice(const QString& folder);
Message serverTlsUnknown(const QString& mode);
Message serverCaMissing(const QString& path);
// A server installation whose INI lacks the server or the database's name.
Message serverSettingsIncomplete();
// The user's password on the database server (`again` after one that was refused).
QString databasePassword(const QString& where, bool again);
// An empty database on the server: lay the program's tables out on it?
Message createTablesQuestion(const QString& where);
Message databaseReadOnly(const DbError& e, const QString& path);
// The same on a server (`where` names the database and its server).
Message serverReadOnly(const DbError& e, const QString& where);
// The first start of the installed program: where to lay the installation.
Message chooseInstallationFolder(const QString& proposed);
Message installationFolderNotWritable(const QString& path);
// A system folder chosen for an installation.
Message systemFolderRefused(const QString& path);
// A database of an earlier version brought up to this program's, its copy as it was at `copy`;
// or the upgrade failed, the database left as it was (`copy` empty when none was made).
Message schemaUpgraded(int from, int to, const QString& copy);
Message schemaUpgradeFailed(const DbError& e, const QString& copy);
// The registry files of a first installation are not all there (`folder` without its last "/").
Message registryFilesMissing(const QString& folder);
Message siteFilesMissing(const QString& folder);
// The steps of the progress window.
QString progressCaption();
QString wait();
QString versionLabel(int major, int minor, int revision);

// The options screen.
Message ownMailServerMissing();
// At start, the server named by the installation could not be used (`failure` says why): Retry.
Message serverUnusable(const Message& failure);
// Then: the file used before the server (Yes), the settings again (No), or the end (Cancel); or,
// with no such file, the settings again (Yes) or the end.
Message serverAlternatives(const QString& lastFile);
// The server chosen in the options could not be used (`failure` says why): nothing was saved.
Message serverNotSaved(const Message& failure);
Message restartNeeded();
FileChoice certificateChoice(const QString& folder);
QString lastUpdateLabel(const QString& date);

// The main screen.
QString mainCaption(const QString& version);
Message versionInvalid();
Message noRequestSelected();
Message noLegalSeat();
enum class Link { Producer, Ministry, Region, SocialFund };
QString linkCaption(Link link);
Message linkQuestion(Link link);
enum class Command { SelDoma, Ruoli, StBozza, Invia1, AggInst, Backup, Opzioni, MailHelp, Help, Esci };
QString commandCaption(Command command);
QString commandHint(Command command);
QString selectedRequestFrame();
QString loadingPanel();
QString updatePanel();

} // namespace vx::msg::app
