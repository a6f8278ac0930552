#pragma once
// The rotating copies of a SERVER installation: at each orderly end the database is copied to
// backup.001, backup.002, backup.003 in turn, and a marker file (001.lst, 002.lst or 003.lst)
// names the copy made last.
//
// The copy is taken with SQLite's online backup (a whole snapshot even while other workstations
// write) and replaces its target atomically. The new marker is written before the old one is
// removed, so that a stop at any point leaves a marker that names a whole copy: when two markers
// are found, the newer is the one that follows the other in the cycle 001, 002, 003, 001.

#include "store/DatabaseTarget.h"

#include <QString>

#include <functional>

namespace vx {

// The points a rotation passes, in order; a test may stop the process at each.
enum class RotationStep { Started, CopyInPlace, MarkerWritten, Done };

// The copy number (1 to 3) that the next end writes, read from the markers in `programFolder`.
int nextRotatingCopy(const QString& programFolder);

// Copies the database at `source` to the next rotating copy (a SQLite file whatever the engine);
// false when nothing could be copied (the previous copies and markers are then as they were).
// `reached` is told each step.
bool makeRotatingCopy(const QString& programFolder, const DatabaseTarget& source,
                      const std::function<void(RotationStep)>& reached = {});

} // namespace vx
