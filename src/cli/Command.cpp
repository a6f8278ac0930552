#include "cli/Command.h"

#include "app/InstallationFolder.h"
#include "app/Messages.h"
#include "cli/BackupCommands.h"
#include "cli/InfoCommand.h"
#include "cli/Messages.h"
#include "cli/PrintCommands.h"
#include "cli/RefdataCommands.h"
#include "cli/RichiesteCommand.h"
#include "cli/RoleTransferCommands.h"
#include "cli/RuoliCommand.h"
#include "cli/TransmissionCommands.h"
#include "core/DeliveredFiles.h"
#include "core/IniFile.h"

#include <algorithm>

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vx::cli {

namespace {
// The options every parser knows.
struct CommonOptions {
    QCommandLineOption folder{QStringLiteral("cartella"), msg::cli::folderOption(),
                              msg::cli::text(msg::cli::Text::FolderPlaceholder)};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, msg::cli::text(msg::cli::Text::HelpOption)};

    void addTo(QCommandLineParser& parser) const
    {
        parser.addOption(folder);
        parser.addOption(help);
    }
};

// QCommandLineParser explains in English; the user reads Italian.
QString parseError(const QCommandLineParser& parser, const QStringList& arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        // A negative number reads as a cluster of one-letter options ("-2147483648" as "-2",
        // "-1"...): named whole, as the value it was meant to be.
        if (name.size() == 1 && name[0].isDigit()) {
            for (const QString& a : arguments) {
                if (a.size() > 1 && a[0] == QLatin1Char('-') && a[1] == name[0])
                    return msg::cli::negativeValue(a);
            }
        }
        return msg::cli::unknownOption((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    }
    const QString english = parser.errorText();
    const QRegularExpressionMatch quoted = QRegularExpression(QStringLiteral("'([^']*)'")).match(english);
    const QString option = quoted.hasMatch() ? quoted.captured(1) : QString();
    if (english.startsWith(QLatin1String("Missing value")))
        return msg::cli::missingValue(option);
    if (english.startsWith(QLatin1String("Unexpected value")))
        return msg::cli::unexpectedValue(option);
    return english;
}

// Names in a column wide enough for the longest, so that the descriptions line up.
QString table(const QList<std::pair<QString, QString>>& rows)
{
    qsizetype width = 0;
    for (const auto& [name, description] : rows)
        width = std::max(width, name.size());
    QString text;
    for (const auto& [name, description] : rows)
        text +=
            QStringLiteral("  ") + name.leftJustified(width) + QStringLiteral("  ") + description + QLatin1Char('\n');
    return text;
}

QString optionName(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += QLatin1Char(' ') + option.valueName();
    return text;
}

QString optionsHelp(const CommonOptions& o, const QList<QCommandLineOption>& own = {})
{
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption& option : QList<QCommandLineOption>{o.folder, o.help} + own)
        rows.append({optionName(option), option.description()});
    return msg::cli::text(msg::cli::Text::OptionsHeading) + QLatin1Char('\n') + table(rows);
}

QString usageLine(const QString& rest)
{
    return msg::cli::text(msg::cli::Text::UsageLabel) + msg::cli::text(msg::cli::Text::Program) +
           QStringLiteral(" [--cartella ") + msg::cli::text(msg::cli::Text::FolderPlaceholder) + QStringLiteral("] ") +
           rest;
}

QString usage(const CommonOptions& o)
{
    QList<std::pair<QString, QString>> rows;
    for (const auto& command : allCommands())
        rows.append({command->name(), command->description()});
    rows.append({QStringLiteral("help"), msg::cli::text(msg::cli::Text::HelpCommand)});
    return usageLine(msg::cli::text(msg::cli::Text::CommandPlaceholder) + QStringLiteral(" [") +
                     msg::cli::text(msg::cli::Text::ArgumentsPlaceholder) + QStringLiteral("]\n")) +
           QString(msg::cli::text(msg::cli::Text::UsageLabel).size(), QLatin1Char(' ')) +
           msg::cli::text(msg::cli::Text::Program) + QStringLiteral(" help [") +
           msg::cli::text(msg::cli::Text::CommandPlaceholder) + QStringLiteral("]\n\n") +
           msg::cli::text(msg::cli::Text::CommandsHeading) + QLatin1Char('\n') + table(rows) + QLatin1Char('\n') +
           optionsHelp(o);
}

QString commandHelp(const Command& command, const CommonOptions& o)
{
    QString line = command.name();
    QList<std::pair<QString, QString>> rows;
    for (const Command::Argument& a : command.arguments()) {
        const QString name = a.repeatable ? a.name + QStringLiteral("...") : a.name;
        line += QLatin1Char(' ') + (a.optional ? QLatin1Char('[') + name + QLatin1Char(']') : name);
        rows.append({a.name, a.description});
    }
    QString text = usageLine(line) + QStringLiteral("\n\n") + command.description() + QStringLiteral("\n\n");
    if (!rows.isEmpty())
        text += msg::cli::text(msg::cli::Text::ArgumentsHeading) + QLatin1Char('\n') + table(rows) + QLatin1Char('\n');
    return text + optionsHelp(o, command.options());
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
    printError(err, msg::cli::seeHelp(text));
    return kUsage;
}
} // namespace

QCommandLineOption Command::jsonOption(bool oneObject)
{
    return QCommandLineOption(QStringLiteral("json"), oneObject ? msg::cli::text(msg::cli::Text::JsonObjectOption)
                                                                : msg::cli::text(msg::cli::Text::JsonOption));
}

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<InfoCommand>());
    commands.push_back(std::make_unique<RichiesteCommand>());
    commands.push_back(std::make_unique<RuoliCommand>());
    commands.push_back(std::make_unique<BackupCommand>());
    commands.push_back(std::make_unique<RipristinaCommand>());
    commands.push_back(std::make_unique<MigraCommand>());
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
    if (!main.parse(QStringList{msg::cli::text(msg::cli::Text::Program)} + arguments))
        return usageError(err, parseError(main, arguments));
    if (main.isSet(common.help)) {
        out << usage(common);
        return 0;
    }
    QStringList rest = main.positionalArguments();
    if (rest.isEmpty()) {
        err << usage(common);
        return usageError(err, msg::cli::text(msg::cli::Text::MissingCommand));
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
            return usageError(err, msg::cli::unknownCommand(rest.join(QLatin1Char(' '))));
        out << commandHelp(*command, common);
        return 0;
    }
    Command* command = find(commands, name);
    if (!command)
        return usageError(err, msg::cli::unknownCommand(name));

    QCommandLineParser parser;
    common.addTo(parser);
    for (const Command::Argument& a : command->arguments())
        parser.addPositionalArgument(a.name, a.description);
    for (const QCommandLineOption& option : command->options())
        parser.addOption(option);
    if (!parser.parse(QStringList{msg::cli::text(msg::cli::Text::Program) + QLatin1Char(' ') + name} + rest))
        return usageError(err, parseError(parser, rest));
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
            return usageError(err, msg::cli::takesNoArguments(name));
        QStringList names;
        for (const Command::Argument& a : command->arguments())
            names.append(a.name);
        return usageError(err, msg::cli::usage(name, names));
    }
    QString folder = defaultFolder;
    if (parser.isSet(common.folder))
        folder = parser.value(common.folder);
    else if (main.isSet(common.folder))
        folder = main.value(common.folder);
    if (folder.isEmpty()) {
        printError(err, msg::app::text(msg::app::Text::NoInstallationChosen));
        return kFailed;
    }
    // Installed as a package, a folder given by name becomes an installation the first time.
    QString layOutError;
    if (!packageFolder().isEmpty() && app::isSystemFolder(folder) &&
        !QFileInfo::exists(QDir(folder).filePath(IniFile::kDefaultName))) {
        printError(err, msg::app::systemFolderRefused(QDir::toNativeSeparators(folder)).text);
        return kFailed;
    }
    if (!packageFolder().isEmpty() && !app::layOut(packageFolder(), folder, &layOutError)) {
        printError(err, msg::app::installationFolderNotWritable(layOutError).text);
        return kFailed;
    }
    command->setParsed(&parser);
    return command->execute(folder, given, out, err);
}

} // namespace vx::cli
