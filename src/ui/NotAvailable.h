#pragma once
// The message of a command whose screen this version does not have yet.

#include "core/Prompter.h"

namespace vx {

inline void notAvailableYet(Prompter& prompter, const QString& command)
{
    prompter.tell(QStringLiteral("Questa funzione sarà disponibile in una prossima versione del programma."), command,
                  Icon::Information);
}

} // namespace vx
