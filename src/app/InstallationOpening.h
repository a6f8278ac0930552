#pragma once
// The opening of an installation's database, one routine for the desktop program and the command
// line: the settings checked (a server named whole, a database file that exists), the connection
// (the user's password asked when the server wants one; a SERVER installation's empty database
// laid out when the user agrees; a database held elsewhere or kept busy by other workstations'
// saves offered again), then a database of an earlier version brought up to date, a copy of it as
// it was kept beside it. Questions and notices go through the prompter: boxes on screen, lines on
// standard error at the command line, whose prompter answers every question as "no".

#include "core/Prompter.h"
#include "store/Database.h"

#include <functional>

namespace vx {

struct AppState;

class InstallationOpening {
public:
    enum class Outcome {
        Opened,
        NoDatabase, // the settings name a database file that is not there (failure() is empty)
        Failed,     // failure() says why, or is empty when the user was told already
    };

    InstallationOpening(AppState& state, Database& db, Prompter& prompter)
        : m_state(state), m_db(db), m_prompter(prompter)
    {
    }

    // Before a question is shown (the desktop closes its splash window), and when an upgrade starts.
    std::function<void()> beforeQuestion;
    std::function<void()> upgrading;
    // Whether a SERVER installation offers to lay its tables out on an empty database (the desktop
    // program does; a command tells the database is empty).
    bool offerTables = true;

    // Reading commands open with ReadOnly access; an upgrade opens for writing for its while.
    Outcome open(Database::Access access = Database::Access::ReadWrite);
    // The settings checked and the connection made, as `open` does, without bringing an older
    // database up to date: whether a server chosen in the options can be used.
    Outcome tryConnection();
    // Why the opening failed; its text empty when nothing more is to be told.
    const Message& failure() const { return m_failure; }
    // A failure that concerns the settings themselves (a file that is no database of ours): the
    // desktop program resets them, so that the next start asks again.
    bool settingsWrong() const { return m_settingsWrong; }

    static constexpr int kPasswordAttempts = 4;

private:
    bool connect(Database::Access access);
    bool upgrade(Database::Access access);

    AppState& m_state;
    Database& m_db;
    Prompter& m_prompter;
    Message m_failure;
    bool m_settingsWrong = false;
    bool m_upgrade = true;
};

} // namespace vx
