#include "assist/AssistanceRequest.h"

#include "Version.h"
#include "backup/DatabaseBackup.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "store/Database.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QSysInfo>

#include <cmath>

namespace vx {

namespace {
const QString kIndent = QStringLiteral("     ");
const QString kCrLf = QStringLiteral("\r\n");

qint64 megabytes(qint64 bytes)
{
    return std::llround(static_cast<double>(bytes) / 1024.0 / 1024.0);
}

// The standard output of a program run with `arguments` (no shell), or "" when it cannot run.
QString outputOf(const QString& program, const QStringList& arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        return QString();
    QProcess p;
    p.start(path, arguments);
    if (!p.waitForFinished(3000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(1000);
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}
} // namespace

QString ComputerDescription::systemText(const QString& name, const QString& edition, const QString& version)
{
    return kIndent + name + QStringLiteral("   ") + edition + kCrLf + kIndent + QStringLiteral("Versione: ") + version;
}

QString ComputerDescription::browserText(const QString& name, const QString& version)
{
    if (name.isEmpty())
        return QStringLiteral("Browser predefinito non trovato");
    return QStringLiteral("Browser ") + name + QStringLiteral(" ver. ") + version;
}

QString ComputerDescription::memoryText(qint64 totalRam, qint64 availableRam, qint64 totalVirtual,
                                        qint64 availableVirtual)
{
    return QStringList{kIndent + QStringLiteral("Total RAM = %1MB").arg(megabytes(totalRam)),
                       kIndent + QStringLiteral("Available RAM = %1MB").arg(megabytes(availableRam)),
                       kIndent + QStringLiteral("Total Virtual Memory = %1MB").arg(megabytes(totalVirtual)),
                       kIndent + QStringLiteral("Available Virtual Memory = %1MB").arg(megabytes(availableVirtual))}
        .join(kCrLf);
}

QString ComputerDescription::currentSystem()
{
    const QString name = QSysInfo::prettyProductName();
    return systemText(name.isEmpty() ? QStringLiteral("?") : name, QSysInfo::kernelType(), QSysInfo::kernelVersion());
}

QString ComputerDescription::currentBrowser()
{
    // The desktop entry of the default browser ("firefox-esr.desktop"), its name, and the
    // version of the package that delivers it.
    const QString entry =
        outputOf(QStringLiteral("xdg-settings"), {QStringLiteral("get"), QStringLiteral("default-web-browser")});
    if (entry.isEmpty() || !entry.endsWith(QLatin1String(".desktop")))
        return browserText(QString(), QString());
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    QString name = entry.chopped(8);
    QString version = QStringLiteral("?");
    if (!file.isEmpty()) {
        QSettings desktopEntry(file, QSettings::IniFormat);
        name = desktopEntry.value(QStringLiteral("Desktop Entry/Name"), name).toString();
        const QString owner = outputOf(QStringLiteral("dpkg-query"), {QStringLiteral("-S"), file});
        const QString package = owner.section(QLatin1Char(':'), 0, 0).trimmed();
        if (!package.isEmpty()) {
            const QString v = outputOf(QStringLiteral("dpkg-query"),
                                       {QStringLiteral("-W"), QStringLiteral("-f=${Version}"), package});
            if (!v.isEmpty())
                version = v;
        }
    }
    return browserText(name, version);
}

QString ComputerDescription::currentMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    qint64 total = 0, available = 0, swapTotal = 0, swapFree = 0;
    if (meminfo.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : meminfo.readAll().split('\n')) {
            const QList<QByteArray> parts = line.simplified().split(' ');
            if (parts.size() < 2)
                continue;
            const qint64 bytes = parts.at(1).toLongLong() * 1024;
            if (parts.first() == "MemTotal:")
                total = bytes;
            else if (parts.first() == "MemAvailable:")
                available = bytes;
            else if (parts.first() == "SwapTotal:")
                swapTotal = bytes;
            else if (parts.first() == "SwapFree:")
                swapFree = bytes;
        }
    }
    // Virtual memory as Linux offers it: the RAM and the swap space together.
    return memoryText(total, available, total + swapTotal, available + swapFree);
}

QString AssistanceRequest::archivePath(const QString& programFolder, const QDate& day, const QString& group, int code,
                                       int runningNumber)
{
    return programFolder + QStringLiteral("VELTRANORPX_") + day.toString(QStringLiteral("dd-MM-yyyy")) +
           QLatin1Char('_') + group + QString::number(code) + QLatin1Char('-') +
           QStringLiteral("%1").arg(runningNumber, 4, 10, QLatin1Char('0')) + QStringLiteral(".zip");
}

QUrl AssistanceRequest::pageAddress(const QString& archive, const QString& system, const QString& browser,
                                    const QString& memory) const
{
    const SelectedRequest& s = m_ctx.state.selected;
    const QString email = UserSettings().email();
    const QList<std::pair<const char*, QString>> keys = {
        {"fr", email.isEmpty() ? UserSettings::kEmailPrompt : email},
        {"su", QStringLiteral("VELTRANORPX (ver. ") + QString::fromLatin1(kVersionText) + QLatin1Char(')')},
        {"g", s.group},
        {"c", QString::number(s.operatorCode)},
        {"d", s.operatorName},
        {"cp", QString()},
        {"so", system},
        {"h", kServiceAddress},
        {"ie", browser},
        {"mem", memory},
        {"tel", QString()},
        {"rif", QString()},
        {"prb", QString()},
        {"ap", QStringLiteral("VELTRANORPX")},
        {"file", archive}};
    QByteArray query;
    for (const auto& [key, value] : keys) {
        if (!query.isEmpty())
            query += '&';
        query += QByteArray(key) + '=' + QUrl::toPercentEncoding(value);
    }
    const QString host = Settings::read(IniFile(m_ctx.state.programFolder)).upload;
    QUrl url(QStringLiteral("https://") + host + kPagePath);
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url;
}

bool AssistanceRequest::run()
{
    // Step 1: nobody else may hold the database while its copy is made.
    m_ctx.db.close();
    if (!m_ctx.db.open(m_ctx.state.provider, m_ctx.state.databasePath, Database::Mode::StandAlone)) {
        m_ctx.prompter.tell(QStringLiteral("Qualche client potrebbe ancora essere connesso alla base dati. \r\n\r\n"
                                           "L'operazione non è consentita."),
                            kTitle, Icon::Critical);
        DatabaseBackup::reopen(m_ctx, kTitle);
        return false;
    }
    m_ctx.db.close();
    status(QStringLiteral("Creazione Backup base dati in corso........"));

    const SelectedRequest& s = m_ctx.state.selected;
    const QString archive =
        archivePath(m_ctx.state.programFolder, m_ctx.clock.now().date(), s.group, s.operatorCode, s.runningNumber);
    QString error;
    bool packed;
    {
        Busy busy(m_ctx.control);
        QFile::remove(archive);
        packed = DatabaseBackup(m_ctx).packSnapshot(archive, &error);
    }
    if (!DatabaseBackup::reopen(m_ctx, kTitle))
        return false;
    if (!packed) {
        // Without the copy the page can still be used to describe the problem.
        const Answer a = m_ctx.prompter.ask(
            {QStringLiteral("Non è stato possibile creare la copia della base dati da allegare alla richiesta:\n") +
                 error + QStringLiteral("\n\nAprire comunque la pagina della richiesta di assistenza?"),
             kTitle, Icon::Exclamation, Buttons::YesNo});
        if (a != Answer::Yes) {
            status(QString());
            return false;
        }
    }

    status(QStringLiteral("Collegamento in corso........"));
    const QUrl page = pageAddress(packed ? archive : QString(), ComputerDescription::currentSystem(),
                                  ComputerDescription::currentBrowser(), ComputerDescription::currentMemory());
    if (!openOrTell(m_ctx.prompter, m_ctx.desktop, page)) {
        status(QString());
        return false;
    }
    status(QStringLiteral("Collegamento effettuato"));
    return true;
}

} // namespace vx
