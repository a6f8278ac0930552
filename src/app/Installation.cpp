#include "app/Installation.h"

#include "app/AppControl.h"
#include "app/AppState.h"
#include "app/IniFile.h"
#include "app/Prompter.h"
#include "store/Windows1252.h"

#include <QFile>
#include <QFileInfo>

namespace vx::installation {

namespace {
const QString kCheckTitle = QStringLiteral("Controllo dati");
}

void readSettings(const IniFile& ini, AppState& state)
{
    const QString install = QStringLiteral("Installazione");
    const QString baseDati = QStringLiteral("BaseDati");
    state.installationType = ini.read(install, QStringLiteral("Tipo"));
    state.version = ini.read(install, QStringLiteral("Versione"));
    state.provider = ini.read(install, QStringLiteral("PROVIDER"));
    state.databaseFileName = ini.read(baseDati, QStringLiteral("NFileDB"));
    state.databasePath = ini.read(baseDati, QStringLiteral("Database"));
    state.credential = unscramble(ini.read(QStringLiteral("CONNESSIONE"), QStringLiteral("PWD")));
    state.serverLabel = serverLabel(ini.read(QStringLiteral("CONNESSIONE"), QStringLiteral("NREG")));
}

void reset(IniFile& ini)
{
    ini.write(QStringLiteral("BaseDati"), QStringLiteral("Database"), QString());
    ini.write(QStringLiteral("BaseDati"), QStringLiteral("NFileDB"), QString());
    ini.write(QStringLiteral("Installazione"), QStringLiteral("Tipo"), QString());
}

QString unscramble(const QString& stored)
{
    QByteArray bytes = windows1252::encode(stored);
    for (char& b : bytes)
        b = static_cast<char>(static_cast<unsigned char>(b) ^ 1);
    return windows1252::decode(bytes);
}

namespace {
// The host ends at the first "/" after the scheme's "//". For a four-letter scheme that is the
// first "/" from the 8th character on; searching after "//" keeps "https" addresses whole too.
qsizetype labelSlash(const QString& address)
{
    const qsizetype scheme = address.indexOf(QLatin1String("://"));
    const qsizetype from = scheme >= 0 ? scheme + 3 : 7;
    return address.size() > from ? address.indexOf(QLatin1Char('/'), from) : -1;
}
} // namespace

QString serverLabel(const QString& address)
{
    const qsizetype slash = labelSlash(address);
    return slash < 0 ? address : address.left(slash);
}

QString serviceLabel(const QString& address)
{
    const qsizetype slash = labelSlash(address);
    return slash < 0 ? QString() : address.mid(slash + 1);
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
    if (choice != kServer && choice != kClient) {
        prompter.tell(QStringLiteral("Scegliere la versione dell'applicativo: SERVER o CLIENT"), kCheckTitle,
                      Icon::Critical);
        return false;
    }
    version = choice;
    if (choice == kClient)
        renameClientFiles(programFolder);
    ini.write(QStringLiteral("Installazione"), QStringLiteral("Versione"), version);
    return true;
}

} // namespace vx::installation
