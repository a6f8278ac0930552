#pragma once
// veltranorpx-regione started for one test, on a free loopback port, with its own configuration,
// data folder and state folder (a Linux program: under Wine, see HostProgram.h).

#include "HostProgram.h"

#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace vx::test {

class RegioneProcess {
public:
    static QString certificates(); // the build's test authority and certificates
    static inline const QString kIdentity = QStringLiteral("40012345678901");

    RegioneProcess();
    ~RegioneProcess();

    // Extra lines of the configuration: section -> lines.
    QMap<QString, QStringList> sections;
    QString serverCertificate = QStringLiteral("server");
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }

    // Extra command-line arguments.
    QStringList arguments;

    // Starts the server; false when it did not come up (errorOutput() and exitCode() say why).
    bool start();
    QString errorOutput();
    int exitCode() const { return m_process.exitCode(); }
    // Asks it to stop (SIGTERM) and waits; the milliseconds it took, or -1 after 5 s.
    qint64 stop();
    // Stops it and starts it again, on the same port, with the sections as they are now.
    bool restart();
    int port() const { return m_port; }
    QString address(const QString& path) const;
    QString log() const;

private:
    QTemporaryDir m_dir;
    HostProgram m_process;
    int m_port = 0;
};

} // namespace vx::test
