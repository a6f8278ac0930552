#pragma once
// From program start to the frame window, and the orderly end.
//
// Start: the INI check, the first installation, the opening of the one connection, and the
// restore of the selected Request. Every failure of the INI check or of the opening ends the
// program; those that concern the settings reset them first, so that the next start asks for
// them again. Only a file that is no database of ours is such a failure: a database held by
// another running program, a file that cannot be written, a share that does not answer or a
// driver that is missing end the start but keep the settings.

#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"

#include <QString>
#include <QtGlobal>

namespace vx {

class AppControl;
class Database;
class IniFile;
class Prompter;
struct Message;
struct AppState;

// What start-up needs from the screens.
class StartupScreens {
public:
    virtual ~StartupScreens() = default;
    virtual void closeSplash() {}
    // The installation screens; on return they have set the installation type, the database
    // path and its file name in the state, or ended the program.
    virtual void runInstallation(AppState& state, IniFile& ini) = 0;
    // The progress window `Avvio`: the step, then the file, table and record count in progress.
    virtual void showStep(const QString& title, const QString& wait)
    {
        Q_UNUSED(title)
        Q_UNUSED(wait)
    }
    // `step` of `steps` when the length of the work is known (-1 when not).
    virtual void showProgress(const QString& file, const QString& table, qint64 records, int step, int steps)
    {
        Q_UNUSED(file)
        Q_UNUSED(table)
        Q_UNUSED(records)
        Q_UNUSED(step)
        Q_UNUSED(steps)
    }
    // The operator-registry download of a first installation; it leaves the registry files in
    // the program folder.
    virtual void runRegistryDownload(AppState& state, Database& db)
    {
        Q_UNUSED(state)
        Q_UNUSED(db)
    }
};

class Startup {
public:
    Startup(AppState& state, Database& db, Prompter& prompter, AppControl& control, StartupScreens& screens)
        : m_state(state), m_db(db), m_prompter(prompter), m_control(control),
          m_screens(screens), m_loads{state, db, prompter, control, m_desktop, m_clock}
    {
    }

    // True when the frame window may be shown; false when the program has been ended.
    bool run();

private:
    bool checkIni(IniFile& ini);
    // After a server that cannot be used: Retry, the file used before it, or the settings again.
    // True when the opening is to be tried again.
    bool anotherWayIn(IniFile& ini, const Message& failure);
    bool initialise(IniFile& ini);
    void restoreSelectedRequest(IniFile& ini);
    bool loadDecodeTables();
    bool loadRegistryOnFirstUse();

    AppState& m_state;
    Database& m_db;
    Prompter& m_prompter;
    AppControl& m_control;
    StartupScreens& m_screens;
    // The reference-data loads' context: they open nothing on the desktop and read no clock.
    SystemDesktop m_desktop;
    Clock m_clock;
    Context m_loads;
};

// The orderly end: the connection is closed and, on a SERVER installation, the rotating copy made.
void orderlyEnd(AppState& state, Database& db, AppControl& control);

} // namespace vx
