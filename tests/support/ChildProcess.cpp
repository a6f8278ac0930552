#include "ChildProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace vx::test {

namespace {
bool isRoot()
{
#ifdef _WIN32
    return false;
#else
    return ::geteuid() == 0;
#endif
}

// This executable where any user can run it: the build folder may lie below a folder that only
// its owner may enter (a clone in root's home, say). Everything else it needs is the system's.
QString executableForAnyone()
{
    static QTemporaryDir folder;
    static QString copy;
    const auto all = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                     QFile::ReadOther | QFile::ExeOther;
    if (copy.isEmpty() && folder.isValid()) {
        const QString self = QCoreApplication::applicationFilePath();
        const QString target = folder.filePath(QFileInfo(self).fileName());
        if (QFile::setPermissions(folder.path(), all) && QFile::copy(self, target) &&
            QFile::setPermissions(target, all))
            copy = target;
    }
    return copy.isEmpty() ? QCoreApplication::applicationFilePath() : copy;
}
} // namespace

bool canRunUnprivileged()
{
#ifdef _WIN32
    return false; // a second user is a second account of the machine
#endif
    return !isRoot() || !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty();
}

void prepareChild(QProcess& child, const char* variable, const QString& value, bool unprivileged)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(variable), value);
    // The leak checker stops the process's threads with ptrace, which an unprivileged child may
    // not do; the parent checks for leaks anyway.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    child.setProcessEnvironment(env);
    const QString self = QCoreApplication::applicationFilePath();
    if (unprivileged && isRoot()) {
        child.setProgram(QStandardPaths::findExecutable(QStringLiteral("setpriv")));
        child.setArguments({QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), executableForAnyone()});
    } else {
        child.setProgram(self);
        child.setArguments({});
    }
}

ChildRun runChild(const char* variable, const QString& value, bool unprivileged, int timeoutMs)
{
    QProcess child;
    prepareChild(child, variable, value, unprivileged);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start();
    ChildRun run;
    if (!child.waitForStarted() || !child.waitForFinished(timeoutMs)) {
        child.kill();
        child.waitForFinished();
        return run;
    }
    run.crashed = child.exitStatus() == QProcess::CrashExit;
    run.exitCode = child.exitCode();
    run.output = child.readAllStandardOutput();
    return run;
}

void dieAbruptly()
{
#ifdef _WIN32
    // A code Qt reads as a crash (an NTSTATUS error), as a killed process has.
    ::TerminateProcess(::GetCurrentProcess(), 0xC000013A);
#else
    ::raise(SIGKILL);
#endif
    std::abort();
}

} // namespace vx::test
