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

// True when a child can run as an unprivileged user: not root, or root with `setpriv`.
bool canRunUnprivileged();

// Prepares `child` to run this executable with `variable` = `value`; as the user nobody when
// `unprivileged` and this process is root (files it must read have to be readable by others).
void prepareChild(QProcess& child, const char* variable, const QString& value, bool unprivileged = false);

// Runs the child to its end (at most `timeoutMs`).
ChildRun runChild(const char* variable, const QString& value, bool unprivileged = false, int timeoutMs = 60000);

} // namespace vx::test
