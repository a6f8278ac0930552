#include "HostProgram.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpSocket>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vx::test {

namespace {
#ifdef _WIN32
constexpr bool kBridged = true;
#else
constexpr bool kBridged = false;
#endif
} // namespace

QString hostPath(const QString& path)
{
#ifdef _WIN32
    using UnixName = char*(CDECL*)(LPCWSTR);
    static const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName)
        return path;
    const bool folder = path.endsWith(QLatin1Char('/'));
    const QString native = QDir::toNativeSeparators(folder ? path.chopped(1) : path);
    char* name = unixName(reinterpret_cast<LPCWSTR>(native.utf16()));
    if (!name)
        return path;
    const QString result = QString::fromUtf8(name) + (folder ? QStringLiteral("/") : QString());
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
#else
    return path;
#endif
}

bool underWine()
{
#ifdef _WIN32
    return ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name") != nullptr;
#else
    return false;
#endif
}

HostProgram::HostProgram() = default;

HostProgram::~HostProgram()
{
    if (running() && !terminate(5000)) {
        kill();
        terminate(5000);
    }
}

bool HostProgram::start(const QString& program, const QStringList& arguments)
{
    m_output.clear();
    if (!kBridged) {
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        const QString path = program == QLatin1String("regione")      ? QStringLiteral(VX_REGIONE_BIN)
                             : program == QLatin1String("pg-cluster") ? QStringLiteral(VX_PG_CLUSTER)
                                                                      : program;
        m_process.start(path, arguments);
        m_ended = !m_process.waitForStarted(10000);
        return !m_ended;
    }
    const int port = qEnvironmentVariableIntValue("VX_HOST_BRIDGE");
    if (port <= 0) {
        m_errors += "VX_HOST_BRIDGE non impostata: i test per Windows si avviano con scripts/windows/run-test\n";
        return false;
    }
    m_bridge = std::make_unique<QTcpSocket>();
    m_bridge->connectToHost(QStringLiteral("127.0.0.1"), quint16(port));
    if (!m_bridge->waitForConnected(10000)) {
        m_errors += "nessun collegamento con scripts/windows/host-bridge\n";
        return false;
    }
    m_ended = false;
    m_bridge->write(
        QJsonDocument(QJsonArray::fromStringList(QStringList{program} + arguments)).toJson(QJsonDocument::Compact) +
        '\n');
    return true;
}

bool HostProgram::readUntil(int timeoutMs, const std::function<bool(const QByteArray&)>& wanted)
{
    QElapsedTimer clock;
    clock.start();
    if (!kBridged) {
        do {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine();
                if (wanted && wanted(line.trimmed()))
                    return true;
                m_output += line;
            }
            if (m_process.state() == QProcess::NotRunning) {
                m_output += m_process.readAllStandardOutput();
                return false;
            }
            m_process.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - clock.elapsed())));
        } while (clock.elapsed() < timeoutMs);
        return false;
    }
    while (!m_ended) {
        while (m_bridge->canReadLine()) {
            const QByteArray line = m_bridge->readLine().chopped(1);
            const QByteArray text = line.mid(2);
            if (line.startsWith("E ")) {
                m_errors += text + '\n';
            } else if (line.startsWith("X ")) {
                m_exit = text.toInt();
                m_ended = true;
                return false;
            } else if (wanted && wanted(text.trimmed())) {
                return true;
            } else {
                m_output += text + '\n';
            }
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        if (!m_bridge->waitForReadyRead(int(left)) && m_bridge->state() != QAbstractSocket::ConnectedState) {
            m_ended = true; // the bridge itself went away
            m_exit = -1;
        }
    }
    return false;
}

bool HostProgram::running()
{
    if (!kBridged)
        return m_process.state() != QProcess::NotRunning;
    return m_bridge && !m_ended;
}

bool HostProgram::terminate(int timeoutMs)
{
    if (!kBridged) {
        m_process.terminate();
        return m_process.waitForFinished(timeoutMs);
    }
    if (!running())
        return true;
    m_bridge->write("T\n");
    m_bridge->flush();
    readUntil(timeoutMs);
    return m_ended;
}

void HostProgram::kill()
{
    if (!kBridged) {
        m_process.kill();
    } else if (running()) {
        m_bridge->write("K\n");
        m_bridge->flush();
    }
}

int HostProgram::exitCode() const
{
    return kBridged ? m_exit : m_process.exitCode();
}

QByteArray HostProgram::errors()
{
    if (!kBridged)
        m_errors += m_process.readAllStandardError();
    else if (running())
        readUntil(50);
    return m_errors;
}

QString runOnHost(const QString& program, const QStringList& arguments, int timeoutMs)
{
    HostProgram host;
    const bool started = host.start(program, arguments);
    if (started)
        host.readUntil(timeoutMs);
    if (!started || host.running() || host.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), host.errors().constData());
    return QString::fromUtf8(host.output());
}

} // namespace vx::test
