#include "cli/Installation.h"

#include "app/InstallationOpening.h"
#include "app/Messages.h"
#include "cli/Messages.h"
#include "core/FieldLog.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "requests/SelectedRequest.h"
#include "store/ErrorAdvice.h"
#include "store/Lookups.h"

#include <QDir>

namespace vx::cli {

Installation::Installation(const QString& programFolder, QTextStream& err) : prompter(err), m_err(err)
{
    state.programFolder = QDir(programFolder).absolutePath() + QLatin1Char('/');
}

bool Installation::load()
{
    IniFile ini(state.programFolder);
    if (!ini.exists()) {
        printError(m_err, msg::cli::iniMissing(QDir::toNativeSeparators(ini.nomeFile())));
        return false;
    }
    fieldlog::start(state.programFolder);
    Settings::read(ini).applyTo(state);
    // On a server, the workstation user's own name; the password comes from the user's .pgpass
    // (or PGPASSWORD): nobody is there to be asked.
    state.serverUser = UserSettings().databaseUser();
    if (state.installationType.isEmpty()) {
        printError(m_err, msg::cli::text(msg::cli::Text::NotInstalled));
        return false;
    }
    return true;
}

bool Installation::selectRequest(qint32 number, Prompter& messages)
{
    const std::optional<bool> exists = requestExists(db, number);
    if (!exists) {
        printError(m_err, errorLines(db.lastError()));
        return false;
    }
    if (!*exists) {
        printError(m_err, msg::cli::requestNotFound(number));
        return false;
    }
    state.selected = loadSelectedRequest(db, messages, number);
    return true;
}

int Installation::openRequest(const QString& numberText, Database::Access access)
{
    const qint32 number = requestNumber(numberText, m_err);
    if (number == 0)
        return kUsage;
    if (!open(access) || !selectRequest(number, prompter))
        return kFailed;
    return 0;
}

bool Installation::open(Database::Access access)
{
    if (!load())
        return false;
    // The same opening as the desktop program's; its notices (an upgrade done) and refusals go to
    // standard error, apart from the command's own messages, and every question is answered "no".
    ConsolePrompter opener(m_err);
    InstallationOpening opening(state, db, opener);
    opening.offerTables = false;
    switch (opening.open(access)) {
    case InstallationOpening::Outcome::Opened:
        return true;
    case InstallationOpening::Outcome::NoDatabase:
        printError(m_err, msg::app::databaseNotFound(state.databasePath));
        return false;
    case InstallationOpening::Outcome::Failed:
        if (!opening.failure().text.isEmpty())
            printError(m_err, opening.failure().text);
        return false;
    }
    return false;
}

} // namespace vx::cli
