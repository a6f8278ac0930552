#include "core/DefaultBrowser.h"

#ifdef Q_OS_WIN

#include <QFileInfo>
#include <QSettings>
#include <QVarLengthArray>

#include <windows.h>

namespace vx::defaultbrowser {

namespace {
// The program a registry command starts: the quoted path, or what comes before the first blank.
QString programOf(const QString& command)
{
    const QString c = command.trimmed();
    if (c.startsWith(QLatin1Char('"')))
        return c.mid(1).section(QLatin1Char('"'), 0, 0);
    const qsizetype exe = c.indexOf(QLatin1String(".exe"), 0, Qt::CaseInsensitive);
    return exe > 0 ? c.left(exe + 4) : c.section(QLatin1Char(' '), 0, 0);
}

QString fileVersion(const QString& program)
{
    const auto* path = reinterpret_cast<const wchar_t*>(program.utf16());
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        return QStringLiteral("?");
    QVarLengthArray<char, 4096> data(size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(path, 0, size, data.data()) ||
        !::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return QStringLiteral("?");
    return QStringLiteral("%1.%2.%3.%4")
        .arg(HIWORD(info->dwFileVersionMS))
        .arg(LOWORD(info->dwFileVersionMS))
        .arg(HIWORD(info->dwFileVersionLS))
        .arg(LOWORD(info->dwFileVersionLS));
}
} // namespace

std::optional<Browser> fromSettings()
{
    QString progId;
    for (const char* scheme : {"https", "http"}) {
        const QSettings choice(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\Associations\\"
                                              "UrlAssociations\\%1\\UserChoice")
                                   .arg(QLatin1String(scheme)),
                               QSettings::NativeFormat);
        progId = choice.value(QStringLiteral("ProgId")).toString();
        if (!progId.isEmpty())
            break;
    }
    if (progId.isEmpty())
        return std::nullopt;
    const QSettings handler(QStringLiteral("HKEY_CLASSES_ROOT\\") + progId, QSettings::NativeFormat);
    const QString program = programOf(handler.value(QStringLiteral("shell/open/command/Default")).toString());
    QString name = handler.value(QStringLiteral("Application/ApplicationName")).toString();
    if (name.isEmpty() || name.startsWith(QLatin1Char('@'))) // an indirect string of a resource
        name = program.isEmpty() ? progId : QFileInfo(program).completeBaseName();
    return Browser{name, program.isEmpty() ? QStringLiteral("?") : fileVersion(program)};
}

} // namespace vx::defaultbrowser

#endif
