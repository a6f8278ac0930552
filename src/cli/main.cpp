// veltranorpx-cli: the installation's operations for administrators and scripts.

#include "app/InstallationFolder.h"
#include "cli/Command.h"
#include "core/DeliveredFiles.h"
#include "core/FieldLog.h"
#include "core/ProgramEnvironment.h"
#include "core/StandardStreams.h"

#include <QGuiApplication>

int main(int argc, char* argv[])
{
    vx::standardstreams::chooseDrawingPlatform();
    // Standard error carries the command's own errors only.
    vx::standardstreams::prepare();
    const vx::RuntimeFolder runtime;
    vx::keepQtMessagesForDevelopers();
    vx::fieldlog::wanted(QStringLiteral("veltranorpx-cli"));
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VELTRANORPX"));
    QCoreApplication::setOrganizationName(QStringLiteral("FP"));
    vx::useItalianLocale();
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    // Installed as a package, the installation is the one the user's first start laid out.
    const QString folder =
        vx::packageFolder().isEmpty() ? QCoreApplication::applicationDirPath() : vx::app::remembered();
    return vx::cli::run(arguments, folder, out, err);
}
