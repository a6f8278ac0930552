#pragma once
// Opening the help file: at a topic's anchor, or at its contents. A help file that is not there,
// or that no program of this computer can show, is told to the user.

#include "core/Context.h"

#include <QString>

namespace vx {

// `helpFile` is the full path (empty when the installation has none); a topic of 0 opens the
// contents. True when the file was handed to the system's viewer.
bool showHelp(Context& context, const QString& helpFile, int topic = 0);

} // namespace vx
