#include "core/Prompter.h"

namespace vx {

Answer safeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

namespace {
const char* iconName(Icon icon)
{
    switch (icon) {
    case Icon::None:
        return "nessuna";
    case Icon::Critical:
        return "critica";
    case Icon::Exclamation:
        return "esclamativo";
    case Icon::Information:
        return "informazione";
    case Icon::Question:
        return "domanda";
    }
    return "?";
}

const char* buttonsName(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return "OK";
    case Buttons::OkCancel:
        return "OK/Annulla";
    case Buttons::YesNo:
        return "Sì/No";
    case Buttons::YesNoCancel:
        return "Sì/No/Annulla";
    case Buttons::RetryCancel:
        return "Riprova/Annulla";
    }
    return "?";
}
} // namespace

QString describe(const Message& message)
{
    return QStringLiteral("[%1] (%2, %3) %4")
        .arg(message.title, QString::fromLatin1(iconName(message.icon)),
             QString::fromUtf8(buttonsName(message.buttons)), message.text);
}

} // namespace vx
