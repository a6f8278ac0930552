#pragma once
// Where an installation's data may go and where it may not, as each platform lays out its disks.
// SystemFoldersUnix.cpp and SystemFoldersWindows.cpp are the two sides.

#include <QString>

namespace vx::systemfolders {

// Where the first start proposes to lay out an installation: the home folder on Linux, the
// user's documents on Windows.
QString proposedInstallation();
// True for a folder where the system keeps its own files (and a root shell or an administrator
// may be): no place for an installation's database and settings, whoever may write there.
bool isSystemFolder(const QString& folder);

} // namespace vx::systemfolders
