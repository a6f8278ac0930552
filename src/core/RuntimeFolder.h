#pragma once
// Qt on Linux wants a private runtime folder (XDG_RUNTIME_DIR) and warns, in English, on every
// start without one (a service, cron, a root shell): a folder of this run's own, readable by its
// user alone, stands in for it until the program ends. Windows has no such folder and needs none.
// RuntimeFolderUnix.cpp and RuntimeFolderWindows.cpp are the two sides.

#include <QString>

namespace vx {

class RuntimeFolder {
public:
    RuntimeFolder();
    ~RuntimeFolder() { remove(); }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;
    // Removes the folder now (a process that leaves without its destructors).
    void remove();

private:
    QString m_path;
};

} // namespace vx
