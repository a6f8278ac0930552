// The rotating copy that a SERVER installation makes at every orderly end, timed apart from the
// start: the copy of the database given on the command line into a folder of its own, against the
// `sqlite3` shell's `.backup` of the same file into a new file, run in turn. Prints one line.
//
// bench_rotating_copy DATABASE [RUNS]

#include "../roles/BenchSeams.h"

#include "backup/RotatingCopy.h"
#include "store/DatabaseTarget.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "uso: bench_rotating_copy BASE_DATI [RIPETIZIONI]\n");
        return 2;
    }
    const QString database = args[1];
    const int runs = args.size() > 2 ? args[2].toInt() : 11;
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString shellTarget = folder + QStringLiteral("shell-backup.db");

    std::vector<double> copy, shell;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        if (!vx::makeRotatingCopy(folder, vx::DatabaseTarget::file(database))) {
            std::fprintf(stderr, "copia a rotazione non riuscita\n");
            return 1;
        }
        copy.push_back(t.nsecsElapsed() / 1e6);

        QFile::remove(shellTarget);
        QProcess sqlite;
        t.restart();
        sqlite.start(QStringLiteral("sqlite3"), {database, QStringLiteral(".backup '%1'").arg(shellTarget)});
        if (!sqlite.waitForFinished(60000) || sqlite.exitCode() != 0) {
            std::fprintf(stderr, "sqlite3: %s\n", sqlite.readAllStandardError().constData());
            return 1;
        }
        shell.push_back(t.nsecsElapsed() / 1e6);
    }
    const double c = vx::bench::median(copy);
    const double s = vx::bench::median(shell);
    std::printf("rotating copy at the orderly end, database of %lld KiB: %.1f ms; sqlite3 .backup of the same file: "
                "%.1f ms (median of %d); %.2fx (aim: at most 1.2x)\n",
                QFile(database).size() / 1024, c, s, runs, c / s);
    return 0;
}
