#include "ui/Messages.h"

namespace vx::msg::ui {

Message sharpRefused()
{
    return {QStringLiteral("Non è possibile inserire il carattere #."), QStringLiteral("Verifica cancelletto"),
            Icon::Information, Buttons::Ok};
}

Message notADigit()
{
    return {QStringLiteral("Carattere non numerico"), QStringLiteral("Campo Numerico"), Icon::Information, Buttons::Ok};
}

} // namespace vx::msg::ui
