#include "app/Installation.h"

#include "app/Messages.h"
#include "core/AppControl.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "refdata/RegistryUpdate.h"

#include <QFile>
#include <QFileInfo>

namespace vx::app {

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
    if (path.isEmpty()) {
        prompter.ask(msg::app::notice(msg::app::Notice::NoDatabaseChosen));
        return false;
    }
    if (!path.endsWith(QStringLiteral(".db"), Qt::CaseInsensitive)) {
        prompter.ask(msg::app::notice(msg::app::Notice::NotADatabase));
        return false;
    }
    if (!QFileInfo(path).isFile()) {
        prompter.ask(msg::app::notice(msg::app::Notice::DatabaseFileMissing));
        return false;
    }
    if (!isSqliteFile(path)) {
        prompter.ask(msg::app::notice(msg::app::Notice::NotADatabase));
        return false;
    }
    return true;
}

QStringList tlsModes()
{
    return {QString(),
            QStringLiteral("disable"),
            QStringLiteral("prefer"),
            QStringLiteral("require"),
            QStringLiteral("verify-ca"),
            QStringLiteral("verify-full")};
}

bool checkServerChoice(Prompter& prompter, const DatabaseTarget& target)
{
    if (target.host.isEmpty() || target.name.isEmpty()) {
        prompter.ask(msg::app::notice(msg::app::Notice::ServerChoiceIncomplete));
        return false;
    }
    if (!tlsModes().contains(target.tlsMode)) {
        prompter.ask(msg::app::serverTlsUnknown(target.tlsMode));
        return false;
    }
    if (!target.caFile.isEmpty() && !QFileInfo(target.caFile).isFile()) {
        prompter.ask(msg::app::serverCaMissing(target.caFile));
        return false;
    }
    return true;
}

bool confirmAbort(Prompter& prompter, AppControl& control)
{
    if (prompter.ask(msg::app::notice(msg::app::Notice::AbortInstallation)) != Answer::Yes)
        return false;
    control.endProgram();
    return true;
}

void renameClientFiles(const QString& programFolder)
{
    // The local database and registry files keep their names with ".cli" in place of their own
    // extension, so that a CLIENT installation never takes them for its own.
    const QString renames[] = {kDatabaseName, refdata::kOperFile, refdata::kCompoFile, refdata::kSediOccFile,
                               refdata::kSediUtilFile};
    for (const QString& name : renames) {
        const QString client = QFileInfo(name).completeBaseName() + QStringLiteral(".cli");
        // A missing file, or one in use, is skipped without a word.
        QFile::rename(programFolder + name, programFolder + client);
    }
}

bool chooseVersion(Prompter& prompter, IniFile& ini, const QString& programFolder, const QString& choice,
                   QString& version)
{
    if (choice != Settings::kServer && choice != Settings::kClient) {
        prompter.ask(msg::app::notice(msg::app::Notice::ChooseVersion));
        return false;
    }
    version = choice;
    if (choice == Settings::kClient)
        renameClientFiles(programFolder);
    Settings::writeVersion(ini, version);
    return true;
}

} // namespace vx::app
