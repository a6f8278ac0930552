#pragma once
// The first installation's choices and checks: the database chosen on the installation screen,
// the version chosen on the version screen, and the confirmation that stops the installation.

#include <QString>

namespace vx {

class AppControl;
class IniFile;
class Prompter;

namespace installation {

inline const QString kDatabaseName = QStringLiteral("VELTRANORPX.db");

// What the installation screen shows of a chosen path: 55 characters and "..." from 56 on.
QString shortenedPath(const QString& path);

// The checks of the installation screen's Save; each failure is told to the user.
bool checkDatabaseChoice(Prompter& prompter, const QString& path);
bool isSqliteFile(const QString& path);

// Asks whether to stop the installation; Yes ends the program (and gives true).
bool confirmAbort(Prompter& prompter, AppControl& control);

// The version choice: an empty choice is refused with a message; CLIENT renames the local
// database and registry files; the choice is written to the INI file.
bool chooseVersion(Prompter& prompter, IniFile& ini, const QString& programFolder, const QString& choice,
                   QString& version);
void renameClientFiles(const QString& programFolder);

} // namespace installation
} // namespace vx
