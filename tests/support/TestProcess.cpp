// Compiled into every test executable: what the process does around its cases.
//
// - What the program does is logged at info (each database opened, each call to a server); a test
//   shows what failed, so its own output carries warnings only. A test of the log asks for the
//   rest again.
// - LeakSanitizer checks at the very end, while the loader takes the libraries down one by one;
//   there its tracer now and then crashes ("Tracer caught signal 11") after every case passed. The
//   check is made here instead, once Qt's own exit handlers are done, with the libraries whole and
//   the other threads gone (the process waits for them, briefly): a leak fails the test as before.
// - On Windows a user's settings live in the registry, one for every test: they are kept in files
//   instead, which each test's installation places where it wants them, as on Linux. Under Wine,
//   Qt's own environment variables arrive in one (scripts/windows/run-test) and are set again.
// - On Windows the suite's PostgreSQL cluster is reached over TCP, where it asks for a password: an
//   office's workstation keeps it in the user's pgpass.conf; the program in a test is given it in
//   PGPASSWORD (the tests' own connections name it, support/TestInstallation.cpp), and the user in
//   PGUSER for a program run as a process of its own, whose settings in the registry no test can
//   point at a folder of its own.

#include "TestInstallation.h"

#include <QCoreApplication>
#include <QFont>
#include <QLoggingCategory>
#include <QSettings>

#include <chrono>
#include <cstdlib>
#include <thread>

#ifdef __linux__
#include <dirent.h>
#endif
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

namespace {

int threadCount()
{
#ifdef __linux__
    DIR* tasks = ::opendir("/proc/self/task");
    if (!tasks)
        return 1;
    int n = 0;
    while (const dirent* entry = ::readdir(tasks))
        n += entry->d_name[0] != '.';
    ::closedir(tasks);
    return n;
#else
    return 1;
#endif
}

void checkLeaksNow()
{
    for (int i = 0; i < 500 && threadCount() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
#ifdef __SANITIZE_ADDRESS__
    __lsan_do_leak_check();
#endif
}

#ifdef _WIN32
// The offscreen platform knows the fonts of one folder (scripts/windows/run-test): Windows' own
// fonts are called by the names Linux gives their metric twins there.
void nameWindowsFonts()
{
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"));
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Nimbus Mono PS"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Nimbus Roman"));
}
Q_COREAPP_STARTUP_FUNCTION(nameWindowsFonts)
#endif

struct TestProcess {
    TestProcess()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("vx.*.info=false"));
#ifdef _WIN32
        QSettings::setDefaultFormat(QSettings::IniFormat);
        // Under Wine, Qt's variables come in one (scripts/windows/run-test).
        for (const QByteArray& pair : qgetenv("VX_QT_ENVIRONMENT").split(';')) {
            const qsizetype equals = pair.indexOf('=');
            if (equals > 0 && !qEnvironmentVariableIsSet(pair.left(equals).constData()))
                qputenv(pair.left(equals).constData(), pair.mid(equals + 1));
        }
        if (vx::test::TestInstallation::onServer()) {
            qputenv("PGUSER", vx::test::TestInstallation::serverTarget().user.toUtf8());
            qputenv("PGPASSWORD", vx::test::TestInstallation::clusterPassword().toLatin1());
        }
#endif
        std::atexit(checkLeaksNow);
    }
} g_process;

} // namespace
