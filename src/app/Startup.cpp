#include "app/Startup.h"
#include "core/Settings.h"
#include "core/UserSettings.h"

#include "app/Installation.h"
#include "app/InstallationOpening.h"
#include "app/Messages.h"
#include "app/SchemaUpgrade.h"
#include "backup/RotatingCopy.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/IniFile.h"
#include "core/Messages.h"
#include "core/Prompter.h"
#include "core/StartTrace.h"
#include "refdata/DecodeTables.h"
#include "refdata/RegistryUpdate.h"
#include "requests/SelectedRequest.h"
#include "store/Database.h"
#include "store/ErrorAdvice.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

#include <optional>

namespace vx {

bool Startup::run()
{
    QDir::setCurrent(m_state.programFolder);
    IniFile ini(m_state.programFolder);
    if (!checkIni(ini))
        return false;
    trace::step("ini");
    if (!initialise(ini))
        return false;
    trace::step("database");
    if (!loadDecodeTables())
        return false;
    trace::step("decode-tables");
    if (!loadRegistryOnFirstUse())
        return false;
    trace::step("registry");
    restoreSelectedRequest(ini);
    return !m_control.ended();
}

bool Startup::checkIni(IniFile& ini)
{
    if (!ini.exists()) {
        m_prompter.ask(msg::app::iniMissing());
        m_control.endProgram();
        return false;
    }
    const QString type = Settings::read(ini).type;
    if (!type.isEmpty() && type != Settings::kStandAlone && type != Settings::kMultiutenza) {
        m_prompter.ask(msg::app::invalidSettings());
        Settings::reset(ini);
        m_control.endProgram();
        return false;
    }
    m_state.installationType = type;
    if (type.isEmpty()) {
        m_screens.closeSplash();
        m_screens.runInstallation(m_state, ini);
        if (m_control.ended())
            return false;
        Settings::writeInstallation(ini, m_state.installationType, m_state.databasePath, m_state.databaseFileName);
    }
    return true;
}

bool Startup::initialise(IniFile& ini)
{
    for (;;) {
        Settings::read(ini).applyTo(m_state);
        m_state.serverUser = UserSettings().databaseUser();

        InstallationOpening opening(m_state, m_db, m_prompter);
        opening.beforeQuestion = [this] { m_screens.closeSplash(); };
        opening.upgrading = [this] {
            m_screens.showStep(msg::app::text(msg::app::Text::SchemaUpgradeTitle), msg::app::wait());
        };
        const InstallationOpening::Outcome outcome = opening.open();
        if (outcome == InstallationOpening::Outcome::Opened)
            break;
        if (outcome == InstallationOpening::Outcome::NoDatabase) {
            if (m_prompter.ask(msg::app::databaseMissing(m_state.databasePath)) == Answer::Yes)
                Settings::reset(ini);
            m_control.endProgram();
            return false;
        }
        // A server that cannot be used is never a dead end: tried again, or left for the file used
        // before it, or for other settings. (A database newer than the program is no fault of the
        // server's: the program is to be updated, and is told so.)
        if (targetOf(m_state).isServer() && !opening.failure().text.isEmpty() &&
            m_db.lastError().code() != Database::kNewerSchema) {
            if (anotherWayIn(ini, opening.failure()))
                continue;
            m_control.endProgram();
            return false;
        }
        if (!opening.failure().text.isEmpty())
            m_prompter.ask(opening.failure());
        if (opening.settingsWrong())
            Settings::reset(ini);
        m_control.endProgram();
        return false;
    }
    const Settings settings = Settings::read(ini);
    // An INI carried over from the program this one replaces names that program's provider:
    // the file is opened with ours, and the INI says so from now on.
    if (Database::isFormerProvider(m_state.provider)) {
        Settings::writeProvider(ini);
        m_state.provider = Settings::kProvider;
    }

    m_state.helpFilePath = settings.helpPath(m_state.programFolder);
    if (m_state.helpFilePath.isEmpty())
        m_prompter.ask(msg::core::helpFileNotConfigured());
    m_state.legalSeatType = QStringLiteral("SL");
    return true;
}

bool Startup::anotherWayIn(IniFile& ini, const Message& failure)
{
    m_screens.closeSplash();
    if (m_prompter.ask(msg::app::serverUnusable(failure)) == Answer::Retry)
        return true;
    const QString lastFile = Settings::read(ini).database;
    const bool fileThere = !lastFile.trimmed().isEmpty() && QFileInfo(lastFile).isFile();
    const Answer answer = m_prompter.ask(fileThere ? msg::app::serverAlternatives(lastFile)
                                                   : msg::app::notice(msg::app::Notice::ServerSettingsAgain));
    if (fileThere && answer == Answer::Yes) {
        Settings::writeProvider(ini, Settings::kProvider);
        return true;
    }
    if (answer != (fileThere ? Answer::No : Answer::Yes))
        return false;
    m_screens.runInstallation(m_state, ini);
    if (m_control.ended())
        return false;
    Settings::writeInstallation(ini, m_state.installationType, m_state.databasePath, m_state.databaseFileName);
    return true;
}

void Startup::restoreSelectedRequest(IniFile& ini)
{
    const qint32 number = numberToRestore(m_db, Settings::read(ini).selectedNumber);
    SalvaVarINI(m_db, ini, m_prompter, number, m_state.selected);
}

bool Startup::loadDecodeTables()
{
    refdata::DecodeTables tables(m_loads);
    tables.starting = [this](bool install) {
        m_screens.showStep(install ? msg::app::text(msg::app::Text::InstallingTables)
                                   : msg::app::text(msg::app::Text::UpdatingTables),
                           msg::app::text(msg::app::Text::WaitTables));
    };
    tables.progressWithTotal = [this](const QString& file, const QString& table, int rows, int total) {
        m_screens.showProgress(file, table, rows, rows, total);
    };
    // A table that fails is rolled back and its file stays for the next start: decode-table
    // problems never stop the start.
    if (tables.aggiornaTabelleDecodifica() == refdata::DecodeTables::Outcome::EndProgram) {
        orderlyEnd(m_state, m_db, m_control);
        m_control.endProgram();
        return false;
    }
    return true;
}

bool Startup::loadRegistryOnFirstUse()
{
    QSqlQuery count = m_db.query();
    // Whether any operator is stored: one row is enough to know, rather than counting them all.
    if (m_db.exec(count, QStringLiteral("SELECT 1 FROM CorsiOper LIMIT 1")) && count.next()) {
        m_state.firstInstallation = false;
        return true;
    }
    count.finish();
    m_state.firstInstallation = true;
    m_screens.showStep(msg::app::text(msg::app::Text::Installing), msg::app::wait());
    m_screens.runRegistryDownload(m_state, m_db);

    const QDir programFolder(m_state.programFolder);
    const auto has = [&](const QString& name) { return QFileInfo::exists(programFolder.filePath(name)); };
    const QString folder = QDir::toNativeSeparators(QDir::cleanPath(m_state.programFolder));
    std::optional<Message> problem;
    if (!has(refdata::kOperFile) || !has(refdata::kCompoFile))
        problem = msg::app::registryFilesMissing(folder);
    else if (has(refdata::kSediOccFile) != has(refdata::kSediUtilFile))
        problem = msg::app::siteFilesMissing(folder);
    if (problem) {
        m_prompter.ask(*problem);
        m_db.close();
        m_control.endProgram();
        return false;
    }

    if (!loadDecodeTables())
        return false;
    refdata::RegistryUpdate registry(m_loads);
    registry.progressWithTotal = [this](const QString& file, int rows, int total) {
        m_screens.showProgress(file, QString(), rows, rows, total);
    };
    bool loaded = false;
    {
        Busy busy(m_control);
        loaded = registry.installRegistry();
        if (loaded)
            refdata::archiveRegistryFiles(m_state.programFolder, true);
    }
    if (!loaded) {
        m_db.close();
        m_control.endProgram();
        return false;
    }
    return true;
}

void orderlyEnd(AppState& state, Database& db, AppControl& control)
{
    // The copy is of the database in use, even when the options have just named another one.
    const DatabaseTarget inUse = db.isOpen() ? db.target() : targetOf(state);
    db.close();
    if (Settings::read(IniFile(state.programFolder)).version == Settings::kServer) {
        Busy busy(control);
        trace::step("rotating-copy");
        makeRotatingCopy(state.programFolder, inUse);
        trace::step("rotating-copy-made");
    }
}

} // namespace vx
