// veltranorpx-cli: the installation's operations for administrators and scripts.

#include "cli/Command.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("VELTRANORPX"));
    QCoreApplication::setOrganizationName(QStringLiteral("FP"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return vx::cli::run(arguments, QCoreApplication::applicationDirPath(), out, err);
}
