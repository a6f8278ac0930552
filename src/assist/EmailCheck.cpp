#include "assist/EmailCheck.h"

#include "assist/Messages.h"

namespace vx {

using namespace msg::assist;

std::optional<Message> emailCheck(const QString& address, const QString& t)
{
    if (address.isEmpty())
        return emailMissing(t);
    if (address.contains(QLatin1Char(',')))
        return emailComma(t);
    if (address.contains(QLatin1Char(' ')))
        return emailBlanks(t);
    if (address.contains(QLatin1Char('/')))
        return emailSlash(t);
    if (address.contains(QLatin1String("..")))
        return emailDoubleDot(t);
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at < 0)
        return emailNoAt(t);
    // The first "." from the second character after the "@" on.
    if (address.indexOf(QLatin1Char('.'), at + 2) < 0)
        return emailNoDotAfterAt(t);
    // The provider follows the last ".", wherever the first one after the "@" stands.
    if (address.lastIndexOf(QLatin1Char('.')) == address.size() - 1)
        return emailNoProvider(t);
    if (at == 0 || address.indexOf(QLatin1Char('.')) == 0)
        return emailNoUserName(t);
    if (address.indexOf(QLatin1Char('@'), at + 1) >= 0)
        return emailTwoAts(t);
    if (address.left(16).toUpper() == QLatin1String("INDIRIZZO E-MAIL"))
        return emailPromptLeft(t);
    return std::nullopt;
}

QString emailFault(const QString& address)
{
    const auto fault = emailCheck(address, msg::assist::text(msg::assist::Text::EmailTitle));
    return fault ? fault->text : QString();
}

bool VerificaEmail(Prompter& prompter, const QString& address, const QString& title)
{
    const auto fault = emailCheck(address, title.isEmpty() ? msg::assist::text(msg::assist::Text::EmailTitle) : title);
    if (!fault)
        return true;
    prompter.ask(*fault);
    return false;
}

} // namespace vx
