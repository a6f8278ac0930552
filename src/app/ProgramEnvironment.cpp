#include "app/ProgramEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLocale>

#include <QtGlobal>

#include <clocale>
#include <cstdlib>

#include <unistd.h>

namespace vx {

RuntimeFolder::RuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    // mkdtemp makes it with mode 0700, as a runtime folder must be. A QTemporaryDir would seed
    // Qt's random generator for the name: on a virtual machine that alone costs half a
    // millisecond of every start.
    QByteArray path = QFile::encodeName(QDir::tempPath()) + "/veltranorpx-XXXXXX";
    if (::mkdtemp(path.data()) == nullptr)
        return;
    m_path = QFile::decodeName(path);
    qputenv("XDG_RUNTIME_DIR", path);
}

void RuntimeFolder::remove()
{
    if (m_path.isEmpty())
        return;
    // Empty as a rule: one call. Whatever a library left in it goes with it.
    if (::rmdir(QFile::encodeName(m_path).constData()) != 0)
        QDir(m_path).removeRecursively();
    m_path.clear();
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
    // Qt gave the C library the system's locale; the libraries that write files (the spreadsheet
    // writer among them) print numbers through it, and a file's "0.7" must never become "0,7".
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace vx
