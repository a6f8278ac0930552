#include "core/Desktop.h"

#include "core/Messages.h"
#include "core/Prompter.h"

#include <QDesktopServices>
#include <QDir>

namespace vx {

bool SystemDesktop::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

bool SystemDesktop::showTextFile(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

bool openOrTell(Prompter& prompter, Desktop& desktop, const QUrl& url)
{
    if (desktop.openUrl(url))
        return true;
    prompter.ask(msg::core::cannotOpen(url));
    return false;
}

} // namespace vx
