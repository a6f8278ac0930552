#include "app/ProgramEnvironment.h"

#include <QFile>
#include <QLocale>
#include <QtGlobal>

namespace vx {

RuntimeFolder::RuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    // Made with mode 0700, as a runtime folder must be.
    m_folder = std::make_unique<QTemporaryDir>();
    if (m_folder->isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_folder->path()));
}

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
}

} // namespace vx
