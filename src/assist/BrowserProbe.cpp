#include "assist/BrowserProbe.h"

#include "assist/AssistanceRequest.h"
#include "core/DefaultBrowser.h"

#include <QEventLoop>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace vx {

BrowserProbe::BrowserProbe() : m_bound(new QTimer(this))
{
    m_bound->setSingleShot(true);
}

BrowserProbe::~BrowserProbe()
{
    stop();
}

void BrowserProbe::stop()
{
    if (m_process) {
        m_bound->stop();
        m_bound->disconnect();
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(1000);
        delete m_process;
        m_process = nullptr;
    }
    m_finished = true;
}

QString BrowserProbe::text() const
{
    return ComputerDescription::browserText(m_finished ? m_name : QString(), m_version);
}

void BrowserProbe::run(const QString& program, const QStringList& arguments, std::function<void(const QString&)> then)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        then(QString());
        return;
    }
    m_process = new QProcess(this);
    auto done = [this, then](bool ok) {
        m_bound->stop();
        m_bound->disconnect();
        QProcess* p = m_process;
        m_process = nullptr;
        p->disconnect(this);
        const QString output = ok ? QString::fromUtf8(p->readAllStandardOutput()).trimmed() : QString();
        if (!ok) {
            p->kill();
            p->waitForFinished(1000);
        }
        p->deleteLater();
        then(output);
    };
    connect(m_process, &QProcess::finished, this,
            [this, done](int code, QProcess::ExitStatus status) { done(status == QProcess::NormalExit && code == 0); });
    connect(m_process, &QProcess::errorOccurred, this, [done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            done(false);
    });
    connect(m_bound, &QTimer::timeout, this, [done] { done(false); });
    m_bound->start(kStepMs);
    m_process->start(path, arguments);
}

void BrowserProbe::start()
{
    // Where the system's settings name it (Windows' registry), no program needs to run.
    if (const std::optional<defaultbrowser::Browser> found = defaultbrowser::fromSettings()) {
        m_name = found->name;
        m_version = found->version;
        finish();
        return;
    }
    // The desktop entry of the default browser ("firefox-esr.desktop"), its name, and the
    // version of the package that delivers it.
    run(QStringLiteral("xdg-settings"), {QStringLiteral("get"), QStringLiteral("default-web-browser")},
        [this](const QString& entry) {
            if (!entry.endsWith(QLatin1String(".desktop"))) {
                finish();
                return;
            }
            m_name = entry.chopped(8);
            m_version = QStringLiteral("?");
            const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
            if (file.isEmpty()) {
                finish();
                return;
            }
            m_name =
                QSettings(file, QSettings::IniFormat).value(QStringLiteral("Desktop Entry/Name"), m_name).toString();
            run(QStringLiteral("dpkg-query"), {QStringLiteral("-S"), file}, [this](const QString& owner) {
                const QString package = owner.section(QLatin1Char(':'), 0, 0).trimmed();
                if (package.isEmpty()) {
                    finish();
                    return;
                }
                run(QStringLiteral("dpkg-query"), {QStringLiteral("-W"), QStringLiteral("-f=${Version}"), package},
                    [this](const QString& version) {
                        if (!version.isEmpty())
                            m_version = version;
                        finish();
                    });
            });
        });
}

void BrowserProbe::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    Q_EMIT finished();
}

bool BrowserProbe::waitFor(int ms)
{
    if (m_finished)
        return true;
    QEventLoop loop;
    connect(this, &BrowserProbe::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    // Input waits: the form's commands are off meanwhile, and the search ends within the bound.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return m_finished;
}

} // namespace vx
