#pragma once
// A subcommand of veltranorpx-cli: its name, a line of help and what it does. Output goes to
// injected streams, so that tests run commands in-process.

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Prompter.h"
#include "store/Database.h"

#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

namespace vx::cli {

// Messages of the core routines, written to standard error; questions get their safe answer.
class ConsolePrompter : public Prompter {
public:
    explicit ConsolePrompter(QTextStream& err) : m_err(err) {}
    Answer ask(const Message& message) override;
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }

private:
    QTextStream& m_err;
};

// The installation a command works on: its INI file and its database, opened in its mode.
class Installation {
public:
    Installation(const QString& programFolder, QTextStream& err);
    // False (with the reason on standard error) when the installation cannot be used.
    bool open();

    AppState state;
    Database db;
    ConsolePrompter prompter;

private:
    QTextStream& m_err;
};

class Command {
public:
    virtual ~Command() = default;
    virtual QString name() const = 0;
    virtual QString description() const = 0;
    // The exit code.
    virtual int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                        QTextStream& err) = 0;
};

std::vector<std::unique_ptr<Command>> allCommands();

// The whole command line (without the program name).
int run(const QStringList& arguments, const QString& defaultFolder, QTextStream& out, QTextStream& err);

} // namespace vx::cli
