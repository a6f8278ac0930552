#include "RegioneProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

namespace vx::test {

QString RegioneProcess::certificates()
{
    return QStringLiteral(VX_CERTS_DIR) + QLatin1Char('/');
}

RegioneProcess::RegioneProcess()
{
    sections[QStringLiteral("identita")] = {kIdentity + QStringLiteral("=A12,B7")};
    sections[QStringLiteral("accessi")] = {QStringLiteral("demo=demo;") + kIdentity};
}

RegioneProcess::~RegioneProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool RegioneProcess::start()
{
    const QString certs = certificates();
    QString config = QStringLiteral("[server]\nporta=%4\ncertificato=%1%2.pem\nchiave=%1%2.key\nca_client=%1ca.pem\n"
                                    "dati=%3dati\nstato=%3stato\naccount=regione:demo2026\nprimo_numero=5000\n")
                         .arg(certs, serverCertificate, folder(), QString::number(m_port));
    for (const QString& line : sections.value(QStringLiteral("server")))
        config += line + QLatin1Char('\n');
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (it.key() == QLatin1String("server"))
            continue;
        config += QLatin1Char('[') + it.key() + QStringLiteral("]\n") + it.value().join(QLatin1Char('\n')) +
                  QLatin1Char('\n');
    }
    QDir(folder()).mkpath(QStringLiteral("dati"));
    QFile file(folder() + QStringLiteral("regione.conf"));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(config.toUtf8());
    file.close();

    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start(QStringLiteral(VX_REGIONE_BIN),
                    QStringList{QStringLiteral("--config"), file.fileName()} + arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    while (m_process.canReadLine() || m_process.waitForReadyRead(10000)) {
        const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
        const qsizetype colon = line.lastIndexOf(QLatin1Char(':'));
        if (line.startsWith(QLatin1String("in ascolto su")) && colon > 0) {
            m_port = line.mid(colon + 1).toInt();
            return m_port > 0;
        }
    }
    return false;
}

QString RegioneProcess::errorOutput()
{
    m_errors += m_process.readAllStandardError();
    return QString::fromUtf8(m_errors);
}

qint64 RegioneProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return 0;
    QElapsedTimer clock;
    clock.start();
    m_process.terminate();
    return m_process.waitForFinished(5000) ? clock.elapsed() : -1;
}

bool RegioneProcess::restart()
{
    m_process.terminate();
    m_process.waitForFinished(5000);
    return start();
}

QString RegioneProcess::address(const QString& path) const
{
    return QStringLiteral("https://127.0.0.1:%1%2").arg(m_port).arg(path);
}

QString RegioneProcess::log() const
{
    QFile f(const_cast<RegioneProcess*>(this)->folder() + QStringLiteral("stato/regione.log"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

} // namespace vx::test
