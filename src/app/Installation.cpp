#include "app/Installation.h"

#include "core/AppControl.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"

#include <QFile>
#include <QFileInfo>

namespace vx::installation {

namespace {
const QString kCheckTitle = QStringLiteral("Controllo dati");
}

QString shortenedPath(const QString& path)
{
    return path.size() >= 56 ? path.left(55) + QStringLiteral("...") : path;
}

bool isSqliteFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool checkDatabaseChoice(Prompter& prompter, const QString& path)
{
    const QString notSqlite = QStringLiteral("Il file selezionato non è un database SQLite.");
    if (path.isEmpty()) {
        prompter.tell(QStringLiteral("Selezionare una base dati."), kCheckTitle, Icon::Critical);
        return false;
    }
    if (!path.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) {
        prompter.tell(notSqlite, kCheckTitle, Icon::Critical);
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        prompter.tell(QStringLiteral("File inesistente."), kCheckTitle, Icon::Critical);
        return false;
    }
    if (!isSqliteFile(path)) {
        prompter.tell(notSqlite, kCheckTitle, Icon::Critical);
        return false;
    }
    return true;
}

bool confirmAbort(Prompter& prompter, AppControl& control)
{
    const Answer a = prompter.ask({QStringLiteral("Si è sicuri di voler interrompere l'installazione?"),
                                   QStringLiteral("Installazione"), Icon::None, Buttons::YesNo});
    if (a != Answer::Yes)
        return false;
    control.endProgram();
    return true;
}

void renameClientFiles(const QString& programFolder)
{
    const std::pair<const char*, const char*> renames[] = {{"VELTRANORPX.db", "VELTRANORPX.cli"},
                                                           {"oper.tx1", "oper.cli"},
                                                           {"compo.tx1", "compo.cli"},
                                                           {"sediocc.tx1", "sediocc.cli"},
                                                           {"sediutil.tx1", "sediutil.cli"}};
    for (const auto& [from, to] : renames) {
        // A missing file, or one in use, is skipped without a word.
        QFile::rename(programFolder + QLatin1String(from), programFolder + QLatin1String(to));
    }
}

bool chooseVersion(Prompter& prompter, IniFile& ini, const QString& programFolder, const QString& choice,
                   QString& version)
{
    if (choice != Settings::kServer && choice != Settings::kClient) {
        prompter.tell(QStringLiteral("Scegliere la versione dell'applicativo: SERVER o CLIENT"), kCheckTitle,
                      Icon::Critical);
        return false;
    }
    version = choice;
    if (choice == Settings::kClient)
        renameClientFiles(programFolder);
    Settings::writeVersion(ini, version);
    return true;
}

} // namespace vx::installation
