#include "store/DatabaseTarget.h"

#include "core/AppState.h"
#include "core/Settings.h"
#include "store/Database.h"

namespace vx {

bool DatabaseTarget::isServer() const
{
    return Database::driverFor(driver) == Settings::kServerProvider;
}

QString DatabaseTarget::where() const
{
    if (!isServer())
        return path;
    return name + QStringLiteral(" su ") + host + QLatin1Char(':') + QString::number(port);
}

DatabaseTarget DatabaseTarget::file(const QString& path)
{
    DatabaseTarget t;
    t.driver = Settings::kProvider;
    t.path = path;
    return t;
}

DatabaseTarget targetOf(const AppState& state)
{
    DatabaseTarget t;
    t.driver = Database::driverFor(state.provider);
    t.path = state.databasePath;
    t.host = state.serverHost;
    t.port = state.serverPort;
    t.name = state.serverDatabase;
    t.user = state.serverUser;
    t.password = state.serverPassword;
    t.tlsMode = state.serverTlsMode;
    t.caFile = state.serverCaFile;
    return t;
}

void pointAtServer(AppState& state, const DatabaseTarget& server)
{
    state.provider = server.driver;
    state.serverHost = server.host;
    state.serverPort = server.port;
    state.serverDatabase = server.name;
    state.serverTlsMode = server.tlsMode;
    state.serverCaFile = server.caFile;
    state.serverUser = server.user;
}

} // namespace vx
