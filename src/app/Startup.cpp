#include "app/Startup.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "backup/RotatingCopy.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/IniFile.h"
#include "core/Messages.h"
#include "core/Prompter.h"
#include "refdata/DecodeTables.h"
#include "refdata/RegistryUpdate.h"
#include "requests/SelectedRequest.h"
#include "store/Database.h"
#include "store/ErrorAdvice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace vx {

namespace {
const QString kInitTitle = QStringLiteral("Errore di inizializzazione");

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
    if (!checkIni(ini) || !initialise(ini) || !loadDecodeTables() || !loadRegistryOnFirstUse())
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
    const QString type = Settings::read(ini).type;
    if (!type.isEmpty() && type != Settings::kStandAlone && type != Settings::kMultiutenza) {
        m_prompter.tell(invalidSettingsText(), kInitTitle, Icon::Critical);
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
    const Settings settings = Settings::read(ini);
    settings.applyTo(m_state);

    const QString& path = m_state.databasePath;
    if (path.trimmed().isEmpty() || !QFileInfo(path).isFile()) {
        const Answer a = m_prompter.ask(
            {missingDatabaseText(path), QStringLiteral("Imposta base dati"), Icon::Critical, Buttons::YesNo});
        if (a == Answer::Yes)
            Settings::reset(ini);
        m_control.endProgram();
        return false;
    }

    if (!m_db.open(m_state.provider, path, Database::modeFor(m_state.installationType))) {
        const DbError& e = m_db.lastError();
        QString text = errorLines(e);
        if (m_db.lastOpenWasLocked())
            text = QStringLiteral("Errore ") + e.number + QLatin1Char('\n') + e.description +
                   QStringLiteral("\nIl programma è già aperto su questa base dati, su questo computer o su "
                                  "un'altra postazione.");
        else if (e.code() == Database::kReadOnly)
            text = QStringLiteral("Errore ") + e.number + QLatin1Char('\n') + e.description +
                   QStringLiteral("\nNon è possibile scrivere nel file della base dati ") + path +
                   QStringLiteral(": verificare i permessi del file e della sua cartella, quindi riavviare il "
                                  "programma.");
        m_prompter.tell(text, kInitTitle, Icon::Critical);
        // Only a file that is no database of ours calls for new settings; a lock, a permission,
        // a share that does not answer or a missing driver pass, and the settings are right.
        if (m_db.lastOpenFoundNoDatabase())
            Settings::reset(ini);
        m_control.endProgram();
        return false;
    }
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

void Startup::restoreSelectedRequest(IniFile& ini)
{
    const qint32 number = numberToRestore(m_db, Settings::read(ini).selectedNumber);
    SalvaVarINI(m_db, ini, m_prompter, number, m_state.selected);
}

bool Startup::loadDecodeTables()
{
    refdata::DecodeTables tables(m_loads);
    tables.starting = [this](bool install) {
        m_screens.showStep(install ? QStringLiteral("INSTALLAZIONE TABELLE") : QStringLiteral("AGGIORNAMENTO TABELLE"),
                           QStringLiteral("Attendere ...."));
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
    if (m_db.exec(count, QStringLiteral("SELECT COUNT(*) FROM CorsiOper")) && count.next() &&
        count.value(0).toLongLong() > 0) {
        m_state.firstInstallation = false;
        return true;
    }
    count.finish();
    m_state.firstInstallation = true;
    m_screens.showStep(QStringLiteral("INSTALLAZIONE"), QStringLiteral("Attendere..."));
    m_screens.runRegistryDownload(m_state, m_db);

    const QDir folder(m_state.programFolder);
    const auto has = [&](const QString& name) { return QFileInfo::exists(folder.filePath(name)); };
    const auto missing = [&](const QString& verb) {
        return QStringLiteral("ATTENZIONE: la base dati è incompleta. Mancano uno o più files di testo necessari (è "
                              "possibile che si trovino ancora nella cartella temporanea dove è stato scaricato il "
                              "pacchetto di installazione da Internet. In tal caso, ") +
               verb + QStringLiteral(" da tale cartella tutti i files .TX1 nella cartella ") +
               QDir::toNativeSeparators(QDir::cleanPath(m_state.programFolder)) + QStringLiteral(").");
    };
    QString problem;
    if (!has(refdata::kOperFile) || !has(refdata::kCompoFile))
        problem = missing(QStringLiteral("spostare"));
    else if (has(refdata::kSediOccFile) != has(refdata::kSediUtilFile))
        problem = missing(QStringLiteral("spostate"));
    if (!problem.isEmpty()) {
        m_prompter.tell(problem, QStringLiteral("Installazione Base Dati"), Icon::Critical);
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
    const QString inUse = db.isOpen() ? db.path() : state.databasePath;
    db.close();
    if (Settings::read(IniFile(state.programFolder)).version == Settings::kServer) {
        Busy busy(control);
        makeRotatingCopy(state.programFolder, inUse);
    }
}

} // namespace vx
