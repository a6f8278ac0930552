#pragma once
// How database failures reach the user.
//
// A screen operation runs each statement under a trap: on a failure the user may retry the
// statement or end the program. Shared routines report their own name with the error and give
// their empty result. Changes that collide with another workstation get "Accesso concorrente".
// Every report keeps SQLite's number and text and adds the Italian line of ErrorAdvice.h.

#include "core/Prompter.h"
#include "store/Database.h"

#include <functional>

namespace vx {

class AppControl;

class ErrorTrap {
public:
    ErrorTrap(Prompter& prompter, AppControl& control) : m_prompter(prompter), m_control(control) {}

    // Runs `statement` until it succeeds or the user cancels (which ends the program).
    // `statement` returns a null error on success.
    bool run(const QString& operation, const std::function<DbError()>& statement);

    static Message failureMessage(const QString& operation, const DbError& error);

private:
    Prompter& m_prompter;
    AppControl& m_control;
};

// A shared routine's own failure report: "<routine> - <number> - <description>".
void reportRoutineFailure(Prompter& prompter, const QString& routine, const DbError& error,
                          const QString& title = QStringLiteral("Errore"));

} // namespace vx
