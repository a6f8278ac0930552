#pragma once
// The installation a command works on, opened the way the desktop program opens it, and the seams
// a core routine needs to work on it from the command line.

#include "cli/Output.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "store/Database.h"

namespace vx::cli {

// The installation a command works on: its INI file and its database, opened in its mode.
class Installation {
public:
    Installation(const QString& programFolder, QTextStream& err);
    // False (with the reason on standard error) when the installation cannot be used. Reading
    // commands open with ReadOnly access: they never write, and they work on a read-only file.
    bool open(Database::Access access);
    // The settings only, without opening the database.
    bool load();
    // Request `number` made the selected one, as the screens have it; false with an error line
    // when the database holds no such Request or cannot tell.
    bool selectRequest(qint32 number, Prompter& prompter);
    // The command line's Request number, the installation opened and that Request selected:
    // 0, or the exit code with an error line (kUsage for a text that is no Request number).
    int openRequest(const QString& numberText, Database::Access access);
    // `code`, or kFailed when a core routine reported an error meanwhile.
    int exitCode(int code) const { return code == 0 && prompter.shown() > 0 ? kFailed : code; }

    AppState state;
    Database db;
    ConsolePrompter prompter;

private:
    QTextStream& m_err;
};

// The seams a core object needs, for a command on an installation.
struct CommandContext {
    CommandContext(Installation& inst, QTextStream& out, QTextStream& err)
        : prompter(out, err), ctx{inst.state, inst.db, prompter, control, desktop, clock}
    {
    }
    ReportPrompter prompter;
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx;
};

} // namespace vx::cli
