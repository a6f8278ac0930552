#include "app/OptionsEditor.h"

#include "app/InstallationOpening.h"

#include "app/DatabaseMigration.h"
#include "app/Installation.h"
#include "app/Messages.h"
#include "assist/EmailCheck.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "store/Database.h"

namespace vx {

QString OptionsEditor::firstHost() const
{
    return Settings::read(IniFile(m_state.programFolder)).mailServer1;
}

QString OptionsEditor::secondHost() const
{
    return Settings::read(IniFile(m_state.programFolder)).mailServer2;
}

OptionsValues OptionsEditor::load() const
{
    const Settings settings = Settings::read(IniFile(m_state.programFolder));
    UserSettings user;
    OptionsValues v;
    v.multiutenza = settings.type == Settings::kMultiutenza;
    v.database = settings.database;
    v.onServer = Database::driverFor(settings.provider) == Settings::kServerProvider;
    if (v.onServer) {
        v.databaseServer.driver = Settings::kServerProvider;
        v.databaseServer.host = settings.serverHost;
        v.databaseServer.port = settings.serverPort;
        v.databaseServer.name = settings.serverDatabase;
        v.databaseServer.tlsMode = settings.serverTlsMode;
        v.databaseServer.caFile = settings.serverCaFile;
        v.databaseServer.user = user.databaseUser();
    }
    v.email = user.email().isEmpty() ? UserSettings::kEmailPrompt : user.email();
    const QString host = user.serverMail();
    if (host.isEmpty())
        v.server = OptionsValues::MailServer::None;
    else if (host == firstHost())
        v.server = OptionsValues::MailServer::First;
    else if (host == secondHost())
        v.server = OptionsValues::MailServer::Second;
    else {
        v.server = OptionsValues::MailServer::Own;
        v.ownServer = host;
    }
    v.certificate = user.certificate();
    v.lastUpdate = user.lastUpdate();
    v.look = user.lookOptions();
    return v;
}

OptionsEditor::Outcome OptionsEditor::save(const OptionsValues& values, bool installationChanged)
{
    // Everything is checked before anything is written, so that a save stopped by a check leaves
    // the installation and the user's settings as they were.
    if (!VerificaEmail(m_prompter, values.email))
        return Outcome::StayOpen;
    if (values.server == OptionsValues::MailServer::Own && values.ownServer.isEmpty()) {
        m_prompter.ask(msg::app::ownMailServerMissing());
        return Outcome::StayOpen;
    }

    if (installationChanged && values.onServer &&
        (!app::checkServerChoice(m_prompter, values.databaseServer) || !tryServer(values)))
        return Outcome::StayOpen;

    if (installationChanged) {
        IniFile ini(m_state.programFolder);
        Settings::writeTypeAndDatabase(ini, values.multiutenza ? Settings::kMultiutenza : Settings::kStandAlone,
                                       values.database);
        if (values.onServer) {
            const DatabaseTarget& s = values.databaseServer;
            Settings::writeServer(ini, s.host, s.port, s.name, s.tlsMode, s.caFile);
            UserSettings().setDatabaseUser(s.user);
        } else {
            Settings::writeProvider(ini, Settings::kProvider);
        }
    }
    UserSettings user;
    user.setEmail(values.email);
    user.setCertificate(values.certificate);
    switch (values.server) {
    case OptionsValues::MailServer::First:
        user.setServerMail(firstHost());
        break;
    case OptionsValues::MailServer::Second:
        user.setServerMail(secondHost());
        break;
    case OptionsValues::MailServer::Own:
        user.setServerMail(values.ownServer);
        break;
    case OptionsValues::MailServer::None:
        break;
    }

    if (installationChanged) {
        m_prompter.ask(msg::app::restartNeeded());
        m_db.close();
        m_control.endProgram();
        return Outcome::ProgramEnded;
    }

    user.setLookOptions(values.look);
    m_state.look = values.look;
    return Outcome::Close;
}

bool OptionsEditor::tryServer(const OptionsValues& values)
{
    // Opened as the next start will open it (the password asked when the server wants one, the
    // tables laid out on an empty database of a SERVER installation, the rights checked): a
    // server that would lock the program out at every start is never saved.
    AppState trial = m_state;
    trial.installationType = values.multiutenza ? Settings::kMultiutenza : Settings::kStandAlone;
    pointAtServer(trial, values.databaseServer);
    trial.provider = Settings::kServerProvider;
    // The program's own connection may hold that very database alone: closed meanwhile.
    const DatabaseTarget inUse = targetOf(m_state);
    m_db.close();
    Database database;
    InstallationOpening opening(trial, database, m_prompter);
    Busy busy(m_control);
    if (opening.tryConnection() != InstallationOpening::Outcome::Opened) {
        database.close();
        m_db.open(inUse, Database::modeFor(m_state.installationType));
        if (!opening.failure().text.isEmpty())
            m_prompter.ask(msg::app::serverNotSaved(opening.failure()));
        return false;
    }
    database.close();
    m_state.serverPassword = trial.serverPassword;
    return true;
}

OptionsEditor::Outcome OptionsEditor::moveDatabase(const OptionsValues& values)
{
    DatabaseTarget to = values.onServer ? values.databaseServer : DatabaseTarget::file(values.database.trimmed());
    if (values.onServer ? !app::checkServerChoice(m_prompter, to) : to.path.isEmpty()) {
        if (!values.onServer)
            m_prompter.ask(msg::app::notice(msg::app::Notice::NoDatabaseChosen));
        return Outcome::StayOpen;
    }
    if (values.onServer)
        to.password = m_state.serverPassword;
    // The move needs the database alone: this program's own connection is closed meanwhile.
    const DatabaseTarget inUse = targetOf(m_state);
    m_db.close();
    IniFile ini(m_state.programFolder);
    DatabaseMigration migration(m_state);
    Busy busy(m_control);
    if (migration.move(to, ini) != DatabaseMigration::Outcome::Moved) {
        m_prompter.ask(msg::app::migrationFailed(migration.problem()));
        m_db.open(inUse, Database::modeFor(m_state.installationType));
        return Outcome::StayOpen;
    }
    if (values.onServer)
        UserSettings().setDatabaseUser(values.databaseServer.user);
    m_prompter.ask(msg::app::migrationDone(to.where()));
    m_control.endProgram();
    return Outcome::ProgramEnded;
}

OptionsEditor::Outcome OptionsEditor::cancel(const OptionsValues& values, bool modified, bool installationChanged)
{
    if (!modified)
        return Outcome::Close;
    if (m_prompter.ask(msg::app::notice(msg::app::Notice::SaveChanges)) != Answer::Yes)
        return Outcome::Close;
    // A save that finds a fault keeps the screen open, so that nothing typed is lost.
    return save(values, installationChanged);
}

} // namespace vx
