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

RegioneProcess::~RegioneProcess() = default;

bool RegioneProcess::start()
{
    const QString certs = hostPath(certificates());
    QString config = QStringLiteral("[server]\nporta=%4\ncertificato=%1%2.pem\nchiave=%1%2.key\nca_client=%1ca.pem\n"
                                    "dati=%3dati\nstato=%3stato\naccount=regione:demo2026\nprimo_numero=5000\n")
                         .arg(certs, serverCertificate, hostPath(folder()), QString::number(m_port));
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

    if (!m_process.start(QStringLiteral("regione"),
                         QStringList{QStringLiteral("--config"), hostPath(file.fileName())} + arguments))
        return false;
    int port = 0;
    m_process.readUntil(10000, [&port](const QByteArray& line) {
        const qsizetype colon = line.lastIndexOf(':');
        if (line.startsWith("in ascolto su") && colon > 0)
            port = line.mid(colon + 1).toInt();
        return port > 0;
    });
    if (port > 0)
        m_port = port;
    return port > 0;
}

QString RegioneProcess::errorOutput()
{
    return QString::fromUtf8(m_process.errors());
}

qint64 RegioneProcess::stop()
{
    if (!m_process.running())
        return 0;
    QElapsedTimer clock;
    clock.start();
    return m_process.terminate(5000) ? clock.elapsed() : -1;
}

bool RegioneProcess::restart()
{
    m_process.terminate(5000);
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
