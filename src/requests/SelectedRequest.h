#pragma once
// The Request that every screen works on, held application-wide, and how it is loaded,
// persisted in the INI file and restored at start.

#include <QString>
#include <QtGlobal>

namespace vx {

class Database;
class IniFile;
class Prompter;

struct SelectedRequest {
    qint32 number = 0; // 0: no Request selected
    QString group;
    QString operatorCode = QStringLiteral("0");
    QString operatorName;
    int runningNumber = 0;
    QString province;
    QString provinceName;
    bool printed = false;

    bool operator==(const SelectedRequest&) const = default;
};

// Reads the Request `number` (an empty state when no row has it).
SelectedRequest loadSelectedRequest(Database& db, Prompter& prompter, qint32 number);

// Loads the Request `number` into `selected` and writes the number to the INI file.
void SalvaVarINI(Database& db, IniFile& ini, Prompter& prompter, qint32 number, SelectedRequest& selected);

// The number to select at start: the INI one when a Request has it; otherwise the only Request's
// number when there is exactly one; otherwise 0.
qint32 numberToRestore(Database& db, const QString& iniNumber);

} // namespace vx
