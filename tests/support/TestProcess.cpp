// Compiled into every test executable: what the process does around its cases.
//
// - What the program does is logged at info (each database opened, each call to a server); a test
//   shows what failed, so its own output carries warnings only. A test of the log asks for the
//   rest again.
// - LeakSanitizer checks at the very end, while the loader takes the libraries down one by one;
//   there its tracer now and then crashes ("Tracer caught signal 11") after every case passed. The
//   check is made here instead, once Qt's own exit handlers are done, with the libraries whole and
//   the other threads gone (the process waits for them, briefly): a leak fails the test as before.

#include <QLoggingCategory>

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

struct TestProcess {
    TestProcess()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("vx.*.info=false"));
        std::atexit(checkLeaksNow);
    }
} g_process;

} // namespace
