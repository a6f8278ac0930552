#include "cli/InfoCommand.h"
#include "core/Settings.h"

#include "Version.h"
#include "core/IniFile.h"
#include "requests/SelectedRequest.h"

namespace vx::cli {

int InfoCommand::execute(const QString& programFolder, const QStringList&, QTextStream& out, QTextStream& err)
{
    Installation inst(programFolder, err);
    if (!inst.open(Database::Access::ReadOnly))
        return kFailed;
    IniFile ini(inst.state.programFolder);
    // The same Request the desktop program would resume on, without writing the INI file.
    const qint32 number = numberToRestore(inst.db, Settings::read(ini).selectedNumber);
    const SelectedRequest selected = loadSelectedRequest(inst.db, inst.prompter, number);

    auto line = [&](const char* label, const QString& value) {
        out << label << '\t' << escapeField(value) << Qt::endl;
    };
    line("Versione programma", QString::fromUtf8(kVersionText));
    line("Installazione", inst.state.installationType);
    line("Versione", inst.state.version);
    line("Base dati", inst.state.databasePath);
    line("Richiesta selezionata", QString::number(selected.number));
    if (selected.number != 0) {
        line("Operatore", selected.group + QLatin1Char('-') + QString::number(selected.operatorCode) +
                              QLatin1Char(' ') + selected.operatorName);
        line("Provincia", selected.province + QLatin1Char(' ') + selected.provinceName);
        line("Progressivo", QString::number(selected.runningNumber));
        line("Stampata", selected.printed ? QStringLiteral("Sì") : QStringLiteral("No"));
    }
    return inst.exitCode(0);
}

} // namespace vx::cli
