#pragma once
// The options: how the database is shared and where it is, the user's e-mail and mail server,
// and the look of the main screen's commands. Saving a change of the installation settings ends
// the program, which the user starts again by hand.

#include "core/UserSettings.h"
#include "store/DatabaseTarget.h"

#include <QString>

namespace vx {

class AppControl;
class Database;
class Prompter;
struct AppState;

struct OptionsValues {
    enum class MailServer { None, First, Second, Own };

    bool multiutenza = false;
    QString database;
    QString email;
    MailServer server = MailServer::None;
    QString ownServer;
    QString certificate; // the user's digital certificate (PKCS#12)
    QString lastUpdate;
    LookOptions look;
    bool onServer = false; // the database on a PostgreSQL server (`databaseServer`) rather than in a file
    DatabaseTarget databaseServer;

    bool operator==(const OptionsValues&) const = default;
};

class OptionsEditor {
public:
    enum class Outcome { StayOpen, Close, ProgramEnded };

    OptionsEditor(AppState& state, Database& db, Prompter& prompter, AppControl& control)
        : m_state(state), m_db(db), m_prompter(prompter), m_control(control)
    {
    }

    // The two mail servers the installation offers (INI keys SERVERPOSTA1 and SERVERPOSTA2).
    QString firstHost() const;
    QString secondHost() const;

    OptionsValues load() const;
    Outcome save(const OptionsValues& values, bool installationChanged);
    // Moves the database in use to the place the screen names (the file, or the server's database),
    // proves it whole there and points the installation at it; the program then ends. The options
    // keep what else was typed unsaved.
    Outcome moveDatabase(const OptionsValues& values);
    // The cancel command: a modified screen asks whether to save first.
    Outcome cancel(const OptionsValues& values, bool modified, bool installationChanged);

private:
    // Opens the server the values name, as a start would; false (told) when it cannot be used.
    bool tryServer(const OptionsValues& values);

    AppState& m_state;
    Database& m_db;
    Prompter& m_prompter;
    AppControl& m_control;
};

} // namespace vx
