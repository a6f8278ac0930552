#include "cli/InfoCommand.h"
#include "core/Settings.h"

#include "Version.h"
#include "core/IniFile.h"
#include "requests/SelectedRequest.h"

namespace vx::cli {

int InfoCommand::execute(const QString& programFolder, const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (!arguments.isEmpty()) {
        err << "info non accetta argomenti." << Qt::endl;
        return 2;
    }
    Installation inst(programFolder, err);
    if (!inst.open())
        return 1;
    IniFile ini(inst.state.programFolder);
    // The same Request the desktop program would resume on, without writing the INI file.
    const qint32 number = numberToRestore(inst.db, Settings::read(ini).selectedNumber);
    const SelectedRequest selected = loadSelectedRequest(inst.db, inst.prompter, number);

    out << "Versione programma\t" << kVersionText << Qt::endl;
    out << "Installazione\t" << inst.state.installationType << Qt::endl;
    out << "Versione\t" << inst.state.version << Qt::endl;
    out << "Base dati\t" << inst.state.databasePath << Qt::endl;
    out << "Richiesta selezionata\t" << selected.number << Qt::endl;
    if (selected.number != 0) {
        out << "Operatore\t" << selected.group << '-' << selected.operatorCode << ' ' << selected.operatorName
            << Qt::endl;
        out << "Provincia\t" << selected.province << ' ' << selected.provinceName << Qt::endl;
        out << "Progressivo\t" << selected.runningNumber << Qt::endl;
        out << "Stampata\t" << (selected.printed ? "Sì" : "No") << Qt::endl;
    }
    return 0;
}

} // namespace vx::cli
