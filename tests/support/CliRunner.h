#pragma once
// The command line run in-process, its two streams caught (for the tests that link vx_cli).

#include "cli/Command.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace vx::test {

struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

// `arguments` as typed after the program's name; `folder`, when given, as --cartella.
inline CliRun runCli(const QStringList& arguments, const QString& folder = QString())
{
    CliRun r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    const QStringList all = folder.isEmpty() ? arguments : QStringList{QStringLiteral("--cartella"), folder} + arguments;
    r.code = cli::run(all, QStringLiteral("/nessuna/cartella"), out, err);
    out.flush();
    err.flush();
    return r;
}

} // namespace vx::test
