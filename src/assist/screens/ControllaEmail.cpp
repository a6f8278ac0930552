#include "assist/screens/ControllaEmail.h"

#include "assist/EmailCheck.h"
#include "assist/Messages.h"

#include <QLineEdit>

namespace vx {

bool ControllaEmail(QLineEdit* box, Prompter& prompter)
{
    if (!VerificaEmail(prompter, box->text(), msg::assist::text(msg::assist::Text::EmailTitle))) {
        box->setFocus();
        return false;
    }
    return true;
}

} // namespace vx
