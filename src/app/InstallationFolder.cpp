#include "app/InstallationFolder.h"

#include "app/Messages.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/SystemFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace vx::app {

namespace {
const QString kRememberedKey = QStringLiteral("Installazione/Cartella");

bool copyMissing(const QString& from, const QString& to, QString* error)
{
    if (QFileInfo::exists(to))
        return true;
    if (QFile::copy(from, to)) {
        // The package's files are read-only; an installation's copy is its own to change.
        QFile::setPermissions(to, QFile::permissions(to) | QFile::WriteOwner | QFile::WriteUser);
        return true;
    }
    if (error)
        *error = QDir::toNativeSeparators(to);
    return false;
}
} // namespace

QString remembered()
{
    const QString folder = QSettings().value(kRememberedKey).toString();
    if (folder.isEmpty() || !QFileInfo::exists(QDir(folder).filePath(IniFile::kDefaultName)))
        return QString();
    return QDir(folder).absolutePath() + QLatin1Char('/');
}

void remember(const QString& folder)
{
    QSettings settings;
    settings.setValue(kRememberedKey, QDir(folder).absolutePath());
    settings.sync();
}

bool isSystemFolder(const QString& folder)
{
    return systemfolders::isSystemFolder(folder);
}

bool layOut(const QString& packageFolder, const QString& folder, QString* error)
{
    const QDir from(packageFolder);
    QDir to(folder);
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QDir::toNativeSeparators(folder);
        return false;
    }
    if (to.exists(IniFile::kDefaultName))
        return true;
    // The decode-table files and the database first, the INI last: an installation whose INI is
    // there is whole.
    const QDir tables(from.filePath(QStringLiteral("tabelle")));
    for (const QString& name : tables.entryList(QDir::Files)) {
        if (!copyMissing(tables.filePath(name), to.filePath(name), error))
            return false;
    }
    return copyMissing(from.filePath(Settings::kDatabaseFileName), to.filePath(Settings::kDatabaseFileName), error) &&
           copyMissing(from.filePath(IniFile::kDefaultName), to.filePath(IniFile::kDefaultName), error);
}

QString chooseAndLayOut(Prompter& prompter, const QString& packageFolder, const QString& proposed)
{
    if (prompter.ask(msg::app::chooseInstallationFolder(proposed)) != Answer::Ok)
        return QString();
    // A folder dialog chooses folders that exist: the proposed one is made, so that one click takes
    // it, and removed again when another is chosen and it is still empty.
    const bool made = !QFileInfo::exists(proposed) && QDir().mkpath(proposed);
    QString chosen;
    for (;;) {
        const QString folder = prompter.chooseFolder(
            {msg::app::text(msg::app::Text::InstallationFolderTitle), proposed, QString(), QString()});
        if (folder.isEmpty())
            break;
        QString error;
        if (isSystemFolder(folder)) {
            if (prompter.ask(msg::app::systemFolderRefused(QDir::toNativeSeparators(folder))) != Answer::Retry)
                break;
            continue;
        }
        if (layOut(packageFolder, folder, &error)) {
            remember(folder);
            chosen = QDir(folder).absolutePath() + QLatin1Char('/');
            break;
        }
        if (prompter.ask(msg::app::installationFolderNotWritable(error)) != Answer::Retry)
            break;
    }
    if (made && QDir(proposed).absolutePath() + QLatin1Char('/') != chosen)
        QDir().rmdir(proposed);
    return chosen;
}

} // namespace vx::app
