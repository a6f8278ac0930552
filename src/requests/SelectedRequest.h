#pragma once
// The Request that every screen works on, held application-wide, and how it is loaded,
// persisted in the INI file and restored at start.

#include "core/AppState.h"

#include <QString>
#include <QtGlobal>

namespace vx {

class Database;
class IniFile;
class Prompter;

// Reads the Request `number` (an empty state when no row has it).
SelectedRequest loadSelectedRequest(Database& db, Prompter& prompter, qint32 number);

// Loads the Request `number` into `selected` and writes the number to the INI file.
void SalvaVarINI(Database& db, IniFile& ini, Prompter& prompter, qint32 number, SelectedRequest& selected);

// The number to select at start: the INI one when a Request has it; otherwise the only Request's
// number when there is exactly one; otherwise 0.
qint32 numberToRestore(Database& db, const QString& iniNumber);

} // namespace vx
