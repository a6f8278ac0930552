#pragma once
// A subcommand of veltranorpx-cli: its name, its arguments, a line of help and what it does.
// Every subcommand has a parser of its own (so `veltranorpx-cli help ruoli` and
// `veltranorpx-cli ruoli --help` show its own help); output goes to injected streams, so that
// tests run commands in-process.
//
// Results go to standard output, errors to standard error, and the exit code says which: 0 done,
// 1 an error while working (every error, also one reported by a core routine on the way), 2 a
// command line that cannot be understood. Nobody is there to answer a question: the program's
// offers (Icon::Question: show a file, go on past a fault) are declined without a word and the
// command says what came of them; any other question gets the answer that changes nothing.

#include "cli/Installation.h"
#include "cli/Output.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <QTextStream>

#include <memory>
#include <vector>

namespace vx::cli {

class Command {
public:
    struct Argument {
        QString name;
        QString description;
        bool optional = false;   // only the last ones may be
        bool repeatable = false; // the last one only: given any number of times
    };

    virtual ~Command() = default;
    virtual QString name() const = 0;
    virtual QString description() const = 0;
    // The positional arguments, in order; required unless marked optional.
    virtual QList<Argument> arguments() const { return {}; }
    // The command's own options, besides --cartella and --help.
    virtual QList<QCommandLineOption> options() const { return {}; }
    // --json, for the listings.
    static QCommandLineOption jsonOption(bool oneObject = false);
    // Set by the command line before execute(): the command's own options as given.
    void setParsed(const QCommandLineParser* parser) { m_parsed = parser; }
    // The exit code. `arguments` are as many as arguments() names, less the optional ones not given
    // (any number for a repeatable last one).
    virtual int execute(const QString& programFolder, const QStringList& arguments, QTextStream& out,
                        QTextStream& err) = 0;

protected:
    bool isSet(const QString& option) const { return m_parsed && m_parsed->isSet(option); }
    QString value(const QString& option) const { return m_parsed ? m_parsed->value(option) : QString(); }

private:
    const QCommandLineParser* m_parsed = nullptr;
};

std::vector<std::unique_ptr<Command>> allCommands();

// The whole command line (without the program name).
int run(const QStringList& arguments, const QString& defaultFolder, QTextStream& out, QTextStream& err);

} // namespace vx::cli
