#pragma once
// What a command writes: its results on standard output (lines, or a listing in tab-separated
// fields or JSON), its errors on standard error, one line each, and the exit code that says which.
// The core routines' messages reach these streams through the two prompters below.

#include "core/Desktop.h"
#include "core/Prompter.h"

#include <QStringList>
#include <QTextStream>
#include <QVariantList>

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

} // namespace vx::cli
