#include "core/Help.h"

#include "core/Desktop.h"
#include "core/Messages.h"
#include "core/Prompter.h"

#include <QFileInfo>
#include <QUrl>

namespace vx {

bool showHelp(Context& context, const QString& helpFile, int topic)
{
    if (helpFile.isEmpty() || !QFileInfo(helpFile).isFile()) {
        context.prompter.ask(msg::core::helpFileMissing());
        return false;
    }
    QUrl url = QUrl::fromLocalFile(helpFile);
    if (topic != 0)
        url.setFragment(QString::number(topic));
    return openOrTell(context.prompter, context.desktop, url);
}

} // namespace vx
