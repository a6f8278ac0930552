#pragma once
// The default browser as the system's own settings name it, where reading them takes no program:
// on Windows the registry's choice for https and the version of the program it starts. On Linux
// the search needs the desktop's programs, which the assistance's BrowserProbe runs in the
// background: here there is nothing. DefaultBrowserUnix.cpp and DefaultBrowserWindows.cpp.

#include <QString>

#include <optional>

namespace vx::defaultbrowser {

struct Browser {
    QString name;
    QString version; // "?" when the program does not tell
};

std::optional<Browser> fromSettings();

} // namespace vx::defaultbrowser
