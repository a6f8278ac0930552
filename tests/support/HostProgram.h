#pragma once
// A Linux program a test runs beside it: the regional servers' stand-in, poppler's PDF readers, the
// script that stops and starts the suite's PostgreSQL cluster.
// Built for Windows, a test runs under Wine, which starts a Linux program but can neither wait for
// it nor read its output: there the program is run by scripts/windows/host-bridge, over the
// loopback connection VX_HOST_BRIDGE names, and the paths it is given are their Unix form.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QTcpSocket;

namespace vx::test {

// `path` as a Linux program sees it (itself, but under Wine).
QString hostPath(const QString& path);
// Whether this test runs under Wine.
bool underWine();

class HostProgram {
public:
    HostProgram();
    ~HostProgram(); // stops the program when it still runs (asked, then killed)

    // Starts `program` ("regione" stands for the stand-in, "pg-cluster" for scripts/pg-cluster, the
    // others are looked for in PATH).
    bool start(const QString& program, const QStringList& arguments);
    // Reads what the program writes, for at most `timeoutMs`, until it ends or `wanted` takes a
    // line of its output; true when a line was taken.
    bool readUntil(int timeoutMs, const std::function<bool(const QByteArray&)>& wanted = nullptr);
    bool running();
    // Asks it to stop (SIGTERM); true when it ended within `timeoutMs`.
    bool terminate(int timeoutMs);
    void kill();
    int exitCode() const;
    QByteArray output() const { return m_output; } // the lines no `wanted` took
    QByteArray errors();

private:
    QProcess m_process;
    std::unique_ptr<QTcpSocket> m_bridge;
    bool m_ended = true;
    int m_exit = 0;
    QByteArray m_output;
    QByteArray m_errors;
};

// Runs `program` to its end; its standard output (a warning when it failed).
QString runOnHost(const QString& program, const QStringList& arguments, int timeoutMs = 30000);

} // namespace vx::test
