#include "core/ProgramEnvironment.h"

#include <QLocale>

#include <QtGlobal>

#include <clocale>
#include <cstdlib>

namespace vx {

namespace {
QtMessageHandler g_previous = nullptr;

void dropAllButFatal(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg && g_previous)
        g_previous(type, context, message);
}
} // namespace

void keepQtMessagesForDevelopers()
{
    if (qEnvironmentVariableIntValue("VX_QT_MESSAGES") == 1)
        return;
    g_previous = qInstallMessageHandler(dropAllButFatal);
}

void useItalianLocale()
{
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    // Qt gave the C library the system's locale; the libraries that write files (the spreadsheet
    // writer among them) print numbers through it, and a file's "0.7" must never become "0,7".
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace vx
