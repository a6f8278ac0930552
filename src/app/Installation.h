#pragma once
// The first installation's choices and checks: the database chosen on the installation screen,
// the version chosen on the version screen, and the confirmation that stops the installation.

#include "core/Settings.h"
#include "store/DatabaseTarget.h"

#include <QString>

namespace vx {

class AppControl;
class IniFile;
class Prompter;

namespace app {

inline const QString kDatabaseName = Settings::kDatabaseFileName;

// What the installation screen shows of a chosen path: 55 characters and "..." from 56 on.
QString shortenedPath(const QString& path);

// The checks of the installation screen's Save; each failure is told to the user.
bool checkDatabaseChoice(Prompter& prompter, const QString& path);
bool isSqliteFile(const QString& path);

// The TLS modes offered for a server (libpq's sslmode; the first, empty, leaves libpq's default).
QStringList tlsModes();
// The checks of a database on a server, as the installation and options screens take it: the
// server and the database named, a known TLS mode, an authority file that is there. Each failure
// is told to the user.
bool checkServerChoice(Prompter& prompter, const DatabaseTarget& target);

// Asks whether to stop the installation; Yes ends the program (and gives true).
bool confirmAbort(Prompter& prompter, AppControl& control);

// The version choice: an empty choice is refused with a message; CLIENT renames the local
// database and registry files; the choice is written to the INI file.
bool chooseVersion(Prompter& prompter, IniFile& ini, const QString& programFolder, const QString& choice,
                   QString& version);
void renameClientFiles(const QString& programFolder);

} // namespace app
} // namespace vx
