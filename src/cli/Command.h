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

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "core/Prompter.h"
#include "store/Database.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <QTextStream>
#include <QVariantList>

#include <memory>
#include <vector>

namespace vx::cli {

inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// The one way an error reaches the user: one line on standard error.
void printError(QTextStream& err, const QString& text);

// The Request number given on the command line, or 0 with an error line.
qint32 requestNumber(const QString& text, QTextStream& err);

// A stored value as a field of a tab-separated line: backslash, tab and line breaks are written
// as "\\", "\t", "\n" and "\r", so that every record stays one line of the same fields.
QString escapeField(const QString& value);

// Messages of the core routines beneath a command, written as error lines (with their title).
class ConsolePrompter : public Prompter {
public:
    explicit ConsolePrompter(QTextStream& err) : m_err(err) {}
    Answer ask(const Message& message) override;
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }
    // How many messages were written.
    int shown() const { return m_shown; }

private:
    QTextStream& m_err;
    int m_shown = 0;
};

// The installation a command works on: its INI file and its database, opened in its mode.
class Installation {
public:
    Installation(const QString& programFolder, QTextStream& err);
    // False (with the reason on standard error) when the installation cannot be used. Reading
    // commands open with ReadOnly access: they never write, and they work on a read-only file.
    bool open(Database::Access access);
    // The settings only, without opening the database.
    bool load();
    // Request `number` made the selected one, as the screens have it; false with an error line
    // when the database holds no such Request or cannot tell.
    bool selectRequest(qint32 number, Prompter& prompter);
    // The command line's Request number, the installation opened and that Request selected:
    // 0, or the exit code with an error line (kUsage for a text that is no Request number).
    int openRequest(const QString& numberText, Database::Access access);
    // `code`, or kFailed when a core routine reported an error meanwhile.
    int exitCode(int code) const { return code == 0 && prompter.shown() > 0 ? kFailed : code; }

    AppState state;
    Database db;
    ConsolePrompter prompter;

private:
    QTextStream& m_err;
};

// What a screen would say, as lines: its confirmations (information messages) are results on
// standard output; the program's offers are declined without a word; everything else is an error
// line, and a question among them gets its safe answer.
class ReportPrompter : public Prompter {
public:
    ReportPrompter(QTextStream& out, QTextStream& err) : m_out(out), m_err(err) {}
    Answer ask(const Message& message) override;
    QString chooseOpenFile(const FileChoice&) override { return QString(); }
    QString chooseSaveFile(const FileChoice&) override { return QString(); }
    bool askPassword(const QString&, const QString&, QString&) override { return false; }

private:
    QTextStream& m_out;
    QTextStream& m_err;
};

// The rows of a listing: a heading line of the column names, then one tab-separated line per row
// (values escaped); or, for scripts, one JSON object per row (UTF-8) with the column names as keys.
class Listing {
public:
    Listing(QTextStream& out, const QStringList& columns, bool json);
    // Numbers stay numbers and yes/no values booleans in JSON; as text they read as the screens
    // show them.
    void row(const QVariantList& values);

private:
    QTextStream& m_out;
    QStringList m_columns;
    bool m_json;
};

// Nothing to open files or addresses with.
class NoDesktop : public Desktop {
public:
    bool openUrl(const QUrl&) override { return false; }
    bool showTextFile(const QString&) override { return false; }
};

// The seams a core object needs, for a command on an installation.
struct CommandContext {
    CommandContext(Installation& inst, QTextStream& out, QTextStream& err)
        : prompter(out, err), ctx{inst.state, inst.db, prompter, control, desktop, clock}
    {
    }
    ReportPrompter prompter;
    AppControl control;
    NoDesktop desktop;
    Clock clock;
    Context ctx;
};

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
