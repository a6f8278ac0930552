#include "cli/Command.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "cli/InfoCommand.h"
#include "cli/RichiesteCommand.h"
#include "cli/RuoliCommand.h"
#include "core/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace vx::cli {

Answer ConsolePrompter::ask(const Message& message)
{
    m_err << message.title << ": " << message.text << Qt::endl;
    switch (message.buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

Installation::Installation(const QString& programFolder, QTextStream& err) : prompter(err), m_err(err)
{
    state.programFolder = QDir(programFolder).absolutePath() + QLatin1Char('/');
}

bool Installation::open()
{
    IniFile ini(state.programFolder);
    if (!ini.exists()) {
        m_err << "Impossibile trovare il file " << ini.nomeFile() << Qt::endl;
        return false;
    }
    Settings::read(ini).applyTo(state);
    if (state.installationType.isEmpty()) {
        m_err << "Installazione non ancora impostata: avviare il programma." << Qt::endl;
        return false;
    }
    if (state.databasePath.trimmed().isEmpty() || !QFileInfo(state.databasePath).isFile()) {
        m_err << "File base dati non presente." << state.databasePath << Qt::endl;
        return false;
    }
    if (!db.open(state.provider, state.databasePath, Database::modeFor(state.installationType))) {
        m_err << "Errore " << db.lastError().number << ": " << db.lastError().description << Qt::endl;
        return false;
    }
    return true;
}

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<InfoCommand>());
    commands.push_back(std::make_unique<RichiesteCommand>());
    commands.push_back(std::make_unique<RuoliCommand>());
    return commands;
}

namespace {
void usage(QTextStream& err)
{
    err << "Uso: veltranorpx-cli [--cartella CARTELLA] COMANDO [ARGOMENTI]" << Qt::endl
        << Qt::endl
        << "Comandi:" << Qt::endl;
    for (const auto& command : allCommands())
        err << "  " << command->name().leftJustified(12) << command->description() << Qt::endl;
}
} // namespace

int run(const QStringList& arguments, const QString& defaultFolder, QTextStream& out, QTextStream& err)
{
    QString folder = defaultFolder;
    QStringList rest = arguments;
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--"))) {
        const QString option = rest.takeFirst();
        if (option == QLatin1String("--cartella") && !rest.isEmpty()) {
            folder = rest.takeFirst();
        } else if (option.startsWith(QLatin1String("--cartella="))) {
            folder = option.mid(11);
        } else if (option == QLatin1String("--help")) {
            usage(out);
            return 0;
        } else {
            err << "Opzione sconosciuta: " << option << Qt::endl;
            usage(err);
            return 2;
        }
    }
    if (rest.isEmpty()) {
        usage(err);
        return 2;
    }
    const QString name = rest.takeFirst();
    for (const auto& command : allCommands()) {
        if (command->name() == name)
            return command->execute(folder, rest, out, err);
    }
    err << "Comando sconosciuto: " << name << Qt::endl;
    usage(err);
    return 2;
}

} // namespace vx::cli
