#pragma once
// The installation: its two axes (how the database is shared, SERVER or CLIENT), the first
// installation's choices and checks, the reset that sends the next start back to them, and the
// values derived from the INI file at start (credential, server label).

#include <QString>

namespace vx {

class AppControl;
class IniFile;
class Prompter;
struct AppState;

namespace installation {

inline const QString kStandAlone = QStringLiteral("StandAlone");
inline const QString kMultiutenza = QStringLiteral("Multiutenza");
inline const QString kServer = QStringLiteral("SERVER");
inline const QString kClient = QStringLiteral("CLIENT");
inline const QString kDatabaseName = QStringLiteral("VELTRANORPX.db");

// The installation's settings as every program reads them: type, version, provider, database
// path and file name, the unscrambled credential and the server label.
void readSettings(const IniFile& ini, AppState& state);

// Empties Database, NFileDB and Tipo, in this order; no database file is touched.
void reset(IniFile& ini);

// Each character's 8-bit code XOR 1.
QString unscramble(const QString& stored);

// The text of `address` before the first "/" that follows its host (the whole text when there
// is none), and the text after it.
QString serverLabel(const QString& address);
QString serviceLabel(const QString& address);

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
