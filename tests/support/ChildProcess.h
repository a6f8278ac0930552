#pragma once
// This test executable run again as a child process in a mode of its own (chosen by an
// environment variable), to be a second program on the same files: a holder of the database, a
// writer, a process to kill, or a user without the rights that root has.

#include <QByteArray>
#include <QProcess>
#include <QString>

namespace vx::test {

struct ChildRun {
    int exitCode = -1;
    bool crashed = false; // ended by a signal
    QByteArray output;    // standard output
};

// True when a child can run as an unprivileged user: not root, or root with `setpriv`. Never on
// Windows, where another user is another account of the machine.
bool canRunUnprivileged();
// Why a test that needs one is skipped where there is none.
#ifdef _WIN32
inline constexpr char kNoUnprivilegedUser[] = "Windows: a user without the right to write is another account";
#else
inline constexpr char kNoUnprivilegedUser[] = "root without setpriv: no user here lacks the right to write";
#endif

// Prepares `child` to run this executable with `variable` = `value`; as the user nobody when
// `unprivileged` and this process is root (files it must read have to be readable by others).
void prepareChild(QProcess& child, const char* variable, const QString& value, bool unprivileged = false);

// Ends this process at once, as a power cut or a kill would: no handler, no flush, no exit code of
// its own (the parent sees a crash).
[[noreturn]] void dieAbruptly();

// Runs the child to its end (at most `timeoutMs`).
ChildRun runChild(const char* variable, const QString& value, bool unprivileged = false, int timeoutMs = 60000);

} // namespace vx::test
