#include "store/Messages.h"

namespace vx::msg::store {

Message clientsConnected(const QString& title)
{
    return {QStringLiteral("Qualche client potrebbe ancora essere connesso alla base dati. \r\n\r\n"
                           "L'operazione non è consentita."),
            title, Icon::Critical, Buttons::Ok};
}

QString driverUnavailable(const QString& driver)
{
    return QStringLiteral("Driver di base dati non disponibile: %1").arg(driver);
}

QString noTables(const QString& where)
{
    return QStringLiteral("La base dati %1 non contiene le tabelle di VELTRANORPX.").arg(where);
}

QString newerSchema(const QString& where, int found, int known)
{
    return QStringLiteral("La base dati %1 è della versione %2, più recente di quelle che questo programma conosce "
                          "(fino alla %3).")
        .arg(where)
        .arg(found)
        .arg(known);
}

QString connectionLost(const QString& detail)
{
    return QStringLiteral("Collegamento con il server della base dati interrotto: %1").arg(detail);
}

QString concurrentAccessTitle()
{
    return QStringLiteral("Accesso concorrente");
}
} // namespace vx::msg::store
