#include "app/Startup.h"

#include "app/AppControl.h"
#include "app/AppState.h"
#include "app/IniFile.h"
#include "app/Installation.h"
#include "app/Prompter.h"
#include "app/WaitCursor.h"
#include "backup/RotatingCopy.h"
#include "store/Database.h"

#include <QDir>
#include <QFileInfo>

namespace vx {

namespace {
const QString kInitTitle = QStringLiteral("Errore di inizializzazione");
const QString kInstall = QStringLiteral("Installazione");
const QString kBaseDati = QStringLiteral("BaseDati");

QString invalidSettingsText()
{
    const QString ini = IniFile::kDefaultName;
    return QStringList{QStringLiteral("E' stata rilevata una situazione anomala in fase di inizializzazione."),
                       QStringLiteral("Le impostazioni di ") + ini + QStringLiteral(" non sono valide."),
                       QStringLiteral("Il programma verrà terminato."),
                       QStringLiteral("La procedura cercherà di correggere il problema automaticamente."),
                       QStringLiteral("Sarà chiesta nuovamente l'impostazione dell'installazione."),
                       QStringLiteral("Eventuali dati salvati non verranno persi."),
                       QStringLiteral("Premere 'Ok' quindi riavviare il programma."),
                       QStringLiteral("Se il problema persiste, contattare l'assistenza tecnica.")}
        .join(QLatin1Char('\n'));
}

QString missingDatabaseText(const QString& path)
{
    const QString ini = IniFile::kDefaultName;
    return QStringList{QStringLiteral("File base dati non presente.") + path,
                       QStringLiteral("Non è possibile utilizzare il programma."),
                       QString(),
                       QStringLiteral("La base dati è stata rimossa o spostata oppure alcune impostazioni del file ") +
                           ini + QStringLiteral(" sono errate."),
                       QString(),
                       QStringLiteral("E' possibile correggere l'errore reimpostando l'installazione del programma, "
                                      "eventuali dati salvati non verranno persi."),
                       QStringLiteral("Premere 'Sì' per procedere alla correzione automatica, quindi riavviare il "
                                      "programma."),
                       QStringLiteral("Se il problema persiste contattare l'assistenza tecnica.")}
        .join(QLatin1Char('\n'));
}
} // namespace

bool Startup::run()
{
    QDir::setCurrent(m_state.programFolder);
    IniFile ini(m_state.programFolder);
    if (!checkIni(ini) || !initialise(ini))
        return false;
    restoreSelectedRequest(ini);
    return !m_control.ended();
}

bool Startup::checkIni(IniFile& ini)
{
    if (!ini.exists()) {
        m_prompter.tell(QStringLiteral("Impossibile trovare il file ") + IniFile::kDefaultName +
                            QStringLiteral(".\nLa procedura verrà terminata."),
                        kInitTitle, Icon::Critical);
        m_control.endProgram();
        return false;
    }
    const QString type = ini.read(kInstall, QStringLiteral("Tipo"));
    if (!type.isEmpty() && type != installation::kStandAlone && type != installation::kMultiutenza) {
        m_prompter.tell(invalidSettingsText(), kInitTitle, Icon::Critical);
        installation::reset(ini);
        m_control.endProgram();
        return false;
    }
    m_state.installationType = type;
    if (type.isEmpty()) {
        m_screens.closeSplash();
        m_screens.runInstallation(m_state, ini);
        if (m_control.ended())
            return false;
        ini.write(kInstall, QStringLiteral("Tipo"), m_state.installationType);
        ini.write(kBaseDati, QStringLiteral("Database"), m_state.databasePath);
        ini.write(kBaseDati, QStringLiteral("NFileDB"), m_state.databaseFileName);
    }
    return true;
}

bool Startup::initialise(IniFile& ini)
{
    installation::readSettings(ini, m_state);

    const QString& path = m_state.databasePath;
    if (path.trimmed().isEmpty() || !QFileInfo(path).isFile()) {
        const Answer a = m_prompter.ask(
            {missingDatabaseText(path), QStringLiteral("Imposta base dati"), Icon::Critical, Buttons::YesNo});
        if (a == Answer::Yes)
            installation::reset(ini);
        m_control.endProgram();
        return false;
    }

    if (!m_db.open(m_state.provider, path, Database::modeFor(m_state.installationType))) {
        const DbError& e = m_db.lastError();
        m_prompter.tell(QStringLiteral("Errore ") + e.number + QLatin1Char('\n') + e.description, kInitTitle,
                        Icon::Critical);
        // Another program holding the file is a passing condition: the settings are right.
        if (!m_db.lastOpenWasLocked())
            installation::reset(ini);
        m_control.endProgram();
        return false;
    }

    const QString help = ini.read(QStringLiteral("Help"), QStringLiteral("FILEHELP"));
    m_state.helpFilePath = m_state.programFolder + help;
    if (help.isEmpty() || !QFileInfo(m_state.helpFilePath).isFile())
        m_prompter.tell(QStringLiteral("File di Aiuto non presente"), QStringLiteral("Imposta Aiuto"),
                        Icon::Exclamation);
    m_state.legalSeatType = QStringLiteral("SL");
    return true;
}

void Startup::restoreSelectedRequest(IniFile& ini)
{
    const qint32 number = numberToRestore(m_db, ini.read(kBaseDati, QStringLiteral("NumDoma"), QStringLiteral("0")));
    SalvaVarINI(m_db, ini, m_prompter, number, m_state.selected);
}

void orderlyEnd(AppState& state, Database& db)
{
    db.close();
    IniFile ini(state.programFolder);
    if (ini.read(QStringLiteral("Installazione"), QStringLiteral("Versione")) == installation::kServer) {
        WaitCursor wait;
        makeRotatingCopy(state.programFolder, ini.read(kBaseDati, QStringLiteral("Database")));
    }
}

} // namespace vx
