#pragma once
// What both programs set up before Qt starts, so that a user sees the program's own Italian
// texts and nothing of Qt's: a runtime folder when the session gives none, Qt's own diagnostics
// kept for developers, and Italian dates and numbers whatever the system's language.

#include "core/RuntimeFolder.h"

#include <QString>

namespace vx {

// Qt's diagnostics go nowhere (but a fatal one); VX_QT_MESSAGES=1 lets them through for a
// developer.
void keepQtMessagesForDevelopers();

// Dates and numbers shown the Italian way, whatever the system's locale; numbers written into
// files by the C library (LC_NUMERIC) always the C way.
void useItalianLocale();

} // namespace vx
