#include "core/Desktop.h"

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
    const QString what = url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
    prompter.tell(QStringLiteral("Impossibile aprire ") + what +
                      QStringLiteral(".\nSu questo computer non c'è un programma che lo possa mostrare."),
                  kAppTitle, Icon::Exclamation);
    return false;
}

} // namespace vx
