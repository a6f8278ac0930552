#include "assist/screens/ControllaEmail.h"

#include "assist/EmailCheck.h"
#include "assist/Messages.h"
#include "core/AppState.h"

#include <QLineEdit>

namespace vx {

bool ControllaEmail(QLineEdit* box, Prompter& prompter, AppState& state)
{
    state.emailValid = false;
    if (!VerificaEmail(prompter, box->text(), msg::assist::emailTitle())) {
        box->setFocus();
        return false;
    }
    state.emailValid = true;
    return true;
}

} // namespace vx
