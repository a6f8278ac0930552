#pragma once
// The rotating copies of a SERVER installation: at each orderly end the database is copied to
// backup.001, backup.002, backup.003 in turn, and one marker file (001.lst, 002.lst or 003.lst)
// names the copy made last.
//
// The copy replaces its target atomically, and the marker moves on only once
// the copy is in place: a failed copy leaves the previous copies and the marker as they were.

#include <QString>

namespace vx {

// The copy number (1 to 3) that the next end writes, read from the marker in `programFolder`.
int nextRotatingCopy(const QString& programFolder);

// Copies `databasePath` to the next rotating copy; false when nothing could be copied.
bool makeRotatingCopy(const QString& programFolder, const QString& databasePath);

} // namespace vx
