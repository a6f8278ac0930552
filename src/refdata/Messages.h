#pragma once
// What the reference-data update tells the user: the decode tables, the registry update and its
// log, the registry download, and the main screen's database-update command that runs them.

#include "core/Prompter.h"

#include <QString>
#include <QStringList>

namespace vx {
struct DbError;
}

namespace vx::msg::refdata {

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // The title most of these messages carry, and the window titles of the update's screens.
    Title,
    // The title of the messages of a first installation.
    InstallTitle,
    FileUnreadable,
    // The operator list screen's caption, and the confirmation screen's two lines.
    OperatorListCaption,
    Downloaded,
    ConfirmQuestion,
    // The main screen's text while the update runs, and the progress window's heading.
    UpdateWait,
    ProgressHeading,
    ProgressWait,
    // The operators list's commands and fields.
    InsertCaption,
    InsertHint,
    DeleteCaption,
    DeleteHint,
    ConfirmHint,
    CancelHint,
    GroupLabel,
    CodeLabel,
};
QString text(Text id);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    // -- decode tables
    BothFlags,
    RestoreDone,
    ListFull,
    ClientsQuestion,
    UpdateDone,
};
Message notice(Notice id);

// -- decode tables
Message flagNotDeletable();
// The table file at `path` is empty: Yes goes on with the other tables, No ends the program.
Message emptyTableFile(const QString& path);
// `table` could not be loaded from `path` because of `reason`; it was left as it was. When the
// flag file could be put back the load is repeated at the next start, otherwise the user is told
// to put `flag` back.
Message tableNotLoaded(const QString& table, const QString& path, const QString& reason, bool willRepeat,
                       const QString& flag);
QString tableMissing(const QString& table);

// -- delivered files
// Line `line` of `file` is no row of fields between "#" ("#campo#,#campo#").
QString notARow(int line);
// Line `line` holds the control character of code `code`.
QString controlCharacter(int line, int code);
// A key of the registry that is not what its column holds.
QString badGroup(int line, const QString& value);
QString badOperatorCode(int line, const QString& value);
QString badSiteNumber(int line, const QString& value);
// The `field`th field (from 1) of `line` is no number its column can hold (`whole`: an INTEGER one).
QString badNumber(int line, int field, const QString& value, bool whole);
// The registry file `file` refused for `reason` (one of the five above); nothing was loaded.
Message registryFileRefused(const QString& file, const QString& reason, const QString& title);

// -- registry update
Message clientOnly();
Message unknownInstallation();
Message incomplete(const QString& title);
Message safetyCopyFailed();
Message emptyOperFile();
Message emptyCompoFile();
// The log holds notes on the update: Yes opens it.
Message logCreated(const QString& path);
// The notes could not be written to the log at `path`: they are shown instead.
Message logNotWritten(const QString& path, const QStringList& lines);
Message restoreFailed();
// The server was lost during the load: nothing changed, the files stay for the next try.
Message serverLost();
Message noLegalSeat(const QString& group, const QString& code);
// The registry of a first installation could not be written.
Message registryNotInstalled(const DbError& error);
// The log's lines for a printed Request left alone.
QString printedRequestLeft(const QString& number, const QString& group, const QString& code);
QString printedSeatLeft(const QString& number, const QString& group, const QString& code);

// -- registry download
Message emptyList();
Message writeFailure(const QString& path, const QString& reason);
Message forbiddenName(const QString& name);
Message noFiles();
// In the confirmation's list, an operator asked for that the answer did not hold ("A-12").
QString operatorNotDelivered(const QString& key);

// -- the main screen's database-update command
Message internetQuestion();
Message exclusiveOpenFailed(const DbError& error);

} // namespace vx::msg::refdata
