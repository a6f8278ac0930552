#include "cli/Command.h"
#include "core/Settings.h"

#include "cli/BackupCommands.h"
#include "cli/InfoCommand.h"
#include "cli/PrintCommands.h"
#include "cli/RefdataCommands.h"
#include "cli/RichiesteCommand.h"
#include "cli/RoleTransferCommands.h"
#include "cli/RuoliCommand.h"
#include "cli/TransmissionCommands.h"
#include "core/IniFile.h"
#include "requests/SelectedRequest.h"
#include "store/ErrorAdvice.h"

#include <algorithm>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vx::cli {

namespace {
const QString kProgram = QStringLiteral("veltranorpx-cli");

QString oneLine(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

// The options every parser knows.
struct CommonOptions {
    QCommandLineOption folder{QStringLiteral("cartella"),
                              QStringLiteral("cartella del programma, quella del file ") + IniFile::kDefaultName +
                                  QStringLiteral(" (predefinita: la cartella di ") + kProgram + QStringLiteral(")"),
                              QStringLiteral("CARTELLA")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("mostra questo aiuto")};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOption(folder);
        parser.addOption(help);
    }
};

// QCommandLineParser explains in English; the user reads Italian.
QString parseError(const QCommandLineParser& parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        return QStringLiteral("Opzione sconosciuta: ") +
               (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    }
    const QString english = parser.errorText();
    const QRegularExpressionMatch quoted = QRegularExpression(QStringLiteral("'([^']*)'")).match(english);
    const QString option = quoted.hasMatch() ? quoted.captured(1) : QString();
    if (english.startsWith(QLatin1String("Missing value")))
        return QStringLiteral("Manca il valore dell'opzione ") + option;
    if (english.startsWith(QLatin1String("Unexpected value")))
        return QStringLiteral("L'opzione ") + option + QStringLiteral(" non accetta valori");
    return english;
}

QString optionsHelp(const CommonOptions& o)
{
    return QStringLiteral("Opzioni:\n  --cartella CARTELLA  ") + o.folder.description() +
           QStringLiteral("\n  -h, --help           ") + o.help.description() + QLatin1Char('\n');
}

QString usage(const CommonOptions& o)
{
    QString text = QStringLiteral("Uso: ") + kProgram + QStringLiteral(" [--cartella CARTELLA] COMANDO [ARGOMENTI]\n") +
                   QStringLiteral("     ") + kProgram + QStringLiteral(" help [COMANDO]\n\nComandi:\n");
    for (const auto& command : allCommands())
        text += QStringLiteral("  ") + command->name().leftJustified(11) + QLatin1Char(' ') + command->description() +
                QLatin1Char('\n');
    text += QStringLiteral("  ") + QStringLiteral("help").leftJustified(12) +
            QStringLiteral("l'aiuto di un comando\n\n") + optionsHelp(o);
    return text;
}

QString commandHelp(const Command& command, const CommonOptions& o)
{
    QString text = QStringLiteral("Uso: ") + kProgram + QStringLiteral(" [--cartella CARTELLA] ") + command.name();
    for (const Command::Argument& a : command.arguments()) {
        const QString name = a.repeatable ? a.name + QStringLiteral("...") : a.name;
        text += QLatin1Char(' ') + (a.optional ? QLatin1Char('[') + name + QLatin1Char(']') : name);
    }
    text += QStringLiteral("\n\n") + command.description() + QStringLiteral("\n\n");
    const QList<Command::Argument> arguments = command.arguments();
    if (!arguments.isEmpty()) {
        text += QStringLiteral("Argomenti:\n");
        for (const Command::Argument& a : arguments)
            text += QStringLiteral("  ") + a.name.leftJustified(19) + QStringLiteral("  ") + a.description +
                    QLatin1Char('\n');
        text += QLatin1Char('\n');
    }
    text += optionsHelp(o);
    for (const QCommandLineOption& option : command.options()) {
        QString names = QStringLiteral("--") + option.names().first();
        if (!option.valueName().isEmpty())
            names += QLatin1Char(' ') + option.valueName();
        text += QStringLiteral("  ") + names.leftJustified(19) + QStringLiteral("  ") + option.description() +
                QLatin1Char('\n');
    }
    return text;
}

Command* find(const std::vector<std::unique_ptr<Command>>& commands, const QString& name)
{
    for (const auto& command : commands) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

int usageError(QTextStream& err, const QString& text)
{
    printError(err, text + QStringLiteral(" (") + kProgram + QStringLiteral(" help per l'aiuto)"));
    return kUsage;
}
} // namespace

void printError(QTextStream& err, const QString& text)
{
    err << kProgram << ": " << oneLine(text) << Qt::endl;
}

QString escapeField(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

qint32 requestNumber(const QString& text, QTextStream& err)
{
    bool ok = false;
    const qint32 number = text.toInt(&ok);
    if (!ok || number <= 0)
        printError(err, QStringLiteral("Numero di richiesta non valido: ") + text);
    return ok && number > 0 ? number : 0;
}

// Nobody is there to answer: a question gets the answer that changes nothing.
Answer safeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

Answer ConsolePrompter::ask(const Message& message)
{
    ++m_shown;
    printError(m_err, message.title + QStringLiteral(": ") + message.text);
    return safeAnswer(message.buttons);
}

Answer ReportPrompter::ask(const Message& message)
{
    if (message.icon == Icon::Information)
        m_out << message.text << Qt::endl;
    else
        printError(m_err, QString(message.text).replace(QLatin1Char('\n'), QLatin1Char(' ')).simplified());
    return safeAnswer(message.buttons);
}

Installation::Installation(const QString& programFolder, QTextStream& err) : prompter(err), m_err(err)
{
    state.programFolder = QDir(programFolder).absolutePath() + QLatin1Char('/');
}

bool Installation::load()
{
    IniFile ini(state.programFolder);
    if (!ini.exists()) {
        printError(m_err, QStringLiteral("Impossibile trovare il file ") + ini.nomeFile());
        return false;
    }
    Settings::read(ini).applyTo(state);
    if (state.installationType.isEmpty()) {
        printError(m_err, QStringLiteral("Installazione non ancora impostata: avviare il programma."));
        return false;
    }
    return true;
}

bool Installation::selectRequest(qint32 number, Prompter& messages)
{
    state.selected = loadSelectedRequest(db, messages, number);
    if (state.selected.number == number)
        return true;
    printError(m_err, QStringLiteral("La Richiesta %1 non esiste.").arg(number));
    return false;
}

bool Installation::open(Database::Access access)
{
    if (!load())
        return false;
    if (state.databasePath.trimmed().isEmpty() || !QFileInfo(state.databasePath).isFile()) {
        printError(m_err, QStringLiteral("File base dati non presente.") + state.databasePath);
        return false;
    }
    if (!db.open(state.provider, state.databasePath, Database::modeFor(state.installationType), access)) {
        printError(m_err, errorLines(db.lastError()));
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
    commands.push_back(std::make_unique<BackupCommand>());
    commands.push_back(std::make_unique<RipristinaCommand>());
    commands.push_back(std::make_unique<StampaCommand>());
    commands.push_back(std::make_unique<ElencoCommand>());
    commands.push_back(std::make_unique<EsportaCommand>());
    commands.push_back(std::make_unique<VerificaCommand>());
    commands.push_back(std::make_unique<ImportaCommand>());
    commands.push_back(std::make_unique<FileTrasmissioneCommand>());
    commands.push_back(std::make_unique<ControllaCommand>());
    commands.push_back(std::make_unique<InviaCommand>());
    commands.push_back(std::make_unique<TrasmissioniCommand>());
    commands.push_back(std::make_unique<AggiornaTabelleCommand>());
    commands.push_back(std::make_unique<AggiornaAnagrafeCommand>());
    commands.push_back(std::make_unique<ScaricaAnagrafeCommand>());
    return commands;
}

int run(const QStringList& arguments, const QString& defaultFolder, QTextStream& out, QTextStream& err)
{
    const CommonOptions common;
    QCommandLineParser main;
    common.addTo(main);
    // Everything from the command on belongs to the command's own parser.
    main.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!main.parse(QStringList{kProgram} + arguments))
        return usageError(err, parseError(main));
    if (main.isSet(common.help)) {
        out << usage(common);
        return 0;
    }
    QStringList rest = main.positionalArguments();
    if (rest.isEmpty()) {
        err << usage(common);
        return usageError(err, QStringLiteral("Manca il comando"));
    }
    const QString name = rest.takeFirst();
    const auto commands = allCommands();
    if (name == QLatin1String("help")) {
        if (rest.isEmpty()) {
            out << usage(common);
            return 0;
        }
        const Command* command = rest.size() == 1 ? find(commands, rest.first()) : nullptr;
        if (!command)
            return usageError(err, QStringLiteral("Comando sconosciuto: ") + rest.join(QLatin1Char(' ')));
        out << commandHelp(*command, common);
        return 0;
    }
    Command* command = find(commands, name);
    if (!command)
        return usageError(err, QStringLiteral("Comando sconosciuto: ") + name);

    QCommandLineParser parser;
    common.addTo(parser);
    for (const Command::Argument& a : command->arguments())
        parser.addPositionalArgument(a.name, a.description);
    for (const QCommandLineOption& option : command->options())
        parser.addOption(option);
    if (!parser.parse(QStringList{kProgram + QLatin1Char(' ') + name} + rest))
        return usageError(err, parseError(parser));
    if (parser.isSet(common.help)) {
        out << commandHelp(*command, common);
        return 0;
    }
    const QStringList given = parser.positionalArguments();
    const QList<Command::Argument> declared = command->arguments();
    const qsizetype wanted = declared.size();
    qsizetype required = 0;
    for (const Command::Argument& a : declared)
        required += a.optional ? 0 : 1;
    const bool endless = !declared.isEmpty() && declared.last().repeatable;
    if (given.size() < required || (given.size() > wanted && !endless)) {
        if (wanted == 0)
            return usageError(err, name + QStringLiteral(" non accetta argomenti."));
        QStringList names;
        for (const Command::Argument& a : command->arguments())
            names.append(a.name);
        return usageError(err, QStringLiteral("Uso: ") + kProgram + QLatin1Char(' ') + name + QLatin1Char(' ') +
                                   names.join(QLatin1Char(' ')));
    }
    QString folder = defaultFolder;
    if (parser.isSet(common.folder))
        folder = parser.value(common.folder);
    else if (main.isSet(common.folder))
        folder = main.value(common.folder);
    command->setParsed(&parser);
    return command->execute(folder, given, out, err);
}

} // namespace vx::cli
