#include "assist/EmailCheck.h"

#include "core/Prompter.h"

namespace vx {

QString emailFault(const QString& address)
{
    if (address.isEmpty())
        return QStringLiteral("E' indispensabile indicare un indirizzo e-mail.");
    if (address.contains(QLatin1Char(',')))
        return QStringLiteral("L'indirizzo e-mail non può contenere virgole.");
    if (address.contains(QLatin1Char(' ')))
        return QStringLiteral("L'indirizzo e-mail non può contenere spazi all'inizio, alla fine o internamente.");
    if (address.contains(QLatin1Char('/')))
        return QStringLiteral("L'indirizzo e-mail non può contenere il carattere '/'.");
    if (address.contains(QLatin1String("..")))
        return QStringLiteral("L'indirizzo e-mail non può contenere punti consecutivi.");
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at < 0)
        return QStringLiteral("L'indirizzo e-mail deve contenere il carattere '@'.");
    // The first "." from the second character after the "@" on.
    const qsizetype dot = address.indexOf(QLatin1Char('.'), at + 2);
    if (dot < 0)
        return QStringLiteral("L'indirizzo di e-mail deve contenere almeno 1 '.' dopo il carattere '@', e non nella "
                              "forma '@.'");
    // The provider follows the last ".", wherever the first one after the "@" stands.
    if (address.lastIndexOf(QLatin1Char('.')) == address.size() - 1)
        return QStringLiteral("Dopo l'ultimo '.' deve essere specificato il provider (es. 'it', 'com', ecc.)");
    if (at == 0 || address.indexOf(QLatin1Char('.')) == 0)
        return QStringLiteral("L'indirizzo e-mail deve iniziare con il proprio user-name (es. 'mario.rossi', "
                              "'mrossi', ecc.)");
    if (address.indexOf(QLatin1Char('@'), at + 1) >= 0)
        return QStringLiteral("L'indirizzo e-mail non può contenere più di 1 carattere '@'.");
    if (address.left(16).toUpper() == QLatin1String("INDIRIZZO E-MAIL"))
        return QStringLiteral("E' indispensabile indicare un 'indirizzo e-mail valido.");
    return QString();
}

bool VerificaEmail(Prompter& prompter, const QString& address, const QString& title)
{
    const QString fault = emailFault(address);
    if (fault.isEmpty())
        return true;
    prompter.tell(fault, title.isEmpty() ? kEmailTitle : title, Icon::Information);
    return false;
}

} // namespace vx
