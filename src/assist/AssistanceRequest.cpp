#include "assist/AssistanceRequest.h"

#include "Version.h"
#include "assist/BrowserProbe.h"
#include "assist/Messages.h"
#include "backup/DatabaseBackup.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "core/FieldLog.h"
#include "core/IniFile.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "core/SystemMemory.h"
#include "core/UserSettings.h"
#include "store/Database.h"
#include "store/Messages.h"

#include <QDir>
#include <QFile>
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

} // namespace

QString ComputerDescription::systemText(const QString& name, const QString& edition, const QString& version)
{
    return kIndent + name + QStringLiteral("   ") + edition + kCrLf + kIndent + QStringLiteral("Versione: ") + version;
}

QString ComputerDescription::browserText(const QString& name, const QString& version)
{
    if (name.isEmpty())
        return msg::assist::text(msg::assist::Text::NoBrowser);
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

QString ComputerDescription::currentMemory()
{
    const systemmemory::Memory m = systemmemory::current();
    return memoryText(m.totalRam, m.availableRam, m.totalVirtual, m.availableVirtual);
}

AssistanceRequest::AssistanceRequest(Context& context, std::function<void(const QString&)> status)
    : m_ctx(context), m_status(std::move(status)), m_browser(std::make_unique<BrowserProbe>())
{
    m_browser->start();
}

AssistanceRequest::~AssistanceRequest() = default;

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
    // The browser's search ends before the database is touched: a program it starts shares this
    // process's descriptors for a moment, the database's hold among them.
    if (!m_browser->isFinished()) {
        status(msg::assist::text(msg::assist::Text::StatusBrowser));
        m_browser->waitFor(kBrowserWaitMs);
        m_browser->stop();
    }
    // Step 1: nobody else may hold the database while its copy is made.
    m_ctx.db.close();
    if (!m_ctx.db.open(targetOf(m_ctx.state), Database::Mode::StandAlone)) {
        m_ctx.prompter.ask(msg::store::clientsConnected(msg::assist::text(msg::assist::Text::Title)));
        DatabaseBackup::reopen(m_ctx, msg::assist::text(msg::assist::Text::Title));
        return false;
    }
    m_ctx.db.close();
    status(msg::assist::text(msg::assist::Text::StatusCopying));

    const SelectedRequest& s = m_ctx.state.selected;
    const QString archive =
        archivePath(m_ctx.state.programFolder, m_ctx.clock.now().date(), s.group, s.operatorCode, s.runningNumber);
    QString error;
    bool packed;
    {
        Busy busy(m_ctx.control);
        QFile::remove(archive);
        // The log goes with it: what the program did and what failed, for the assistance service.
        packed =
            DatabaseBackup(m_ctx).packSnapshot(archive, &error, nullptr, fieldlog::files(m_ctx.state.programFolder));
    }
    if (!DatabaseBackup::reopen(m_ctx, msg::assist::text(msg::assist::Text::Title)))
        return false;
    if (!packed) {
        // Without the copy the page can still be used to describe the problem.
        if (m_ctx.prompter.ask(msg::assist::copyFailed(error)) != Answer::Yes) {
            status(QString());
            return false;
        }
    }

    status(msg::assist::text(msg::assist::Text::StatusConnecting));
    const QUrl page = pageAddress(packed ? archive : QString(), ComputerDescription::currentSystem(), m_browser->text(),
                                  ComputerDescription::currentMemory());
    if (!openOrTell(m_ctx.prompter, m_ctx.desktop, page)) {
        status(msg::assist::text(msg::assist::Text::StatusNotOpened));
        return false;
    }
    // The page asks for the copy as an attachment: the user is told where it is.
    status(packed ? msg::assist::statusConnectedWithCopy(QDir::toNativeSeparators(archive))
                  : msg::assist::text(msg::assist::Text::StatusConnected));
    return true;
}

} // namespace vx
