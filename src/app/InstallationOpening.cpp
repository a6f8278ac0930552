#include "app/InstallationOpening.h"

#include "app/Installation.h"
#include "app/Messages.h"
#include "app/SchemaUpgrade.h"
#include "core/AppState.h"
#include "core/Settings.h"
#include "store/Schema.h"

#include <QFileInfo>

namespace vx {

InstallationOpening::Outcome InstallationOpening::tryConnection()
{
    m_upgrade = false;
    const Outcome outcome = open(Database::Access::ReadWrite);
    m_upgrade = true;
    return outcome;
}

InstallationOpening::Outcome InstallationOpening::open(Database::Access access)
{
    m_failure = Message();
    m_settingsWrong = false;
    const DatabaseTarget target = targetOf(m_state);
    if (target.isServer() && (m_state.serverHost.trimmed().isEmpty() || m_state.serverDatabase.trimmed().isEmpty())) {
        m_failure = msg::app::serverSettingsIncomplete();
        return Outcome::Failed;
    }
    if (!target.isServer() && (m_state.databasePath.trimmed().isEmpty() || !QFileInfo(m_state.databasePath).isFile()))
        return Outcome::NoDatabase;
    if (!connect(access))
        return Outcome::Failed;
    return !m_upgrade || upgrade(access) ? Outcome::Opened : Outcome::Failed;
}

bool InstallationOpening::connect(Database::Access access)
{
    const Database::Mode mode = Database::modeFor(m_state.installationType);
    const QString where = targetOf(m_state).where();
    bool opened = false;
    for (int attempt = 0; !opened && attempt < kPasswordAttempts; ++attempt) {
        if ((opened = m_db.open(targetOf(m_state), mode, access)))
            break;
        const int code = m_db.lastError().code();
        if (code == Database::kPasswordNeeded || (code == Database::kAuthentication && attempt > 0)) {
            // The password is the user's own and is never written down: asked, kept for this run.
            QString password;
            if (beforeQuestion)
                beforeQuestion();
            if (!m_prompter.askPassword(msg::app::databasePassword(where, code == Database::kAuthentication),
                                        msg::app::text(msg::app::Text::DatabasePasswordTitle), password))
                break;
            m_state.serverPassword = password;
            continue;
        }
        // An empty database on the server: a SERVER installation lays the program's tables out.
        const bool layOut = offerTables && code == Database::kNoTables && m_state.version == Settings::kServer;
        if (layOut && beforeQuestion)
            beforeQuestion();
        if (layOut && m_prompter.ask(msg::app::createTablesQuestion(where)) == Answer::Yes) {
            if (!m_db.createSchema())
                break;
            continue;
        }
        // Held by a program that has it alone, or kept busy by others' saves: offered again, as a
        // save is.
        if (m_db.lastOpenWasLocked()) {
            if (beforeQuestion)
                beforeQuestion();
            if (m_prompter.ask(msg::app::databaseHeld(m_db.lastError())) != Answer::Retry)
                return false; // told
            --attempt;
            continue;
        }
        break;
    }
    if (opened)
        return true;
    const DbError& e = m_db.lastError();
    if (e.code() == Database::kReadOnly)
        m_failure = targetOf(m_state).isServer() ? msg::app::serverReadOnly(e, where)
                                                 : msg::app::databaseReadOnly(e, m_state.databasePath);
    else
        m_failure = msg::app::openFailed(e);
    // Only a file that is no database of ours calls for new settings; a lock, a permission, a share
    // that does not answer or a missing driver pass, and the settings are right.
    m_settingsWrong = m_db.lastOpenFoundNoDatabase();
    return false;
}

bool InstallationOpening::upgrade(Database::Access access)
{
    if (m_db.schemaVersionAtOpen() >= store::schemaVersion())
        return true;
    // Reading commands too: the program's queries need the tables of this version.
    const Database::Mode mode = Database::modeFor(m_state.installationType);
    const bool readOnly = access == Database::Access::ReadOnly;
    if (readOnly && !m_db.open(targetOf(m_state), mode, Database::Access::ReadWrite)) {
        m_failure = msg::app::openFailed(m_db.lastError());
        return false;
    }
    if (upgrading)
        upgrading();
    if (beforeQuestion)
        beforeQuestion();
    if (!upgradeSchemaTelling(m_db, m_state.programFolder, m_prompter)) {
        m_db.close();
        return false; // told
    }
    if (readOnly && !m_db.open(targetOf(m_state), mode, access)) {
        m_failure = msg::app::openFailed(m_db.lastError());
        return false;
    }
    return true;
}

} // namespace vx
