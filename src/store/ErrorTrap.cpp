#include "store/ErrorTrap.h"

#include "core/AppControl.h"
#include "store/ErrorAdvice.h"
#include "store/Messages.h"

namespace vx {

Message ErrorTrap::failureMessage(const QString& operation, const DbError& error)
{
    return {
        errorLines(error) +
            QStringLiteral("\n\nSi è verificato un errore imprevisto,scegliere riprova per ritentare l'operazione."),
        operation, Icon::Exclamation, Buttons::RetryCancel};
}

bool ErrorTrap::run(const QString& operation, const std::function<DbError()>& statement)
{
    for (;;) {
        const DbError error = statement();
        if (error.isNull())
            return true;
        if (m_prompter.ask(failureMessage(operation, error)) != Answer::Retry) {
            m_control.endProgram();
            return false;
        }
    }
}

void reportRoutineFailure(Prompter& prompter, const QString& routine, const DbError& error, const QString& title)
{
    QString text = routine + QStringLiteral(" - ") + error.number + QStringLiteral(" - ") + error.description;
    const QString advice = errorAdvice(error);
    if (!advice.isEmpty())
        text += QLatin1Char('\n') + advice;
    prompter.tell(text, title, Icon::Critical);
}

} // namespace vx
