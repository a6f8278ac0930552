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

} // namespace vx::msg::store
