#pragma once
// Where an installation's database is: a SQLite file, or a database on a PostgreSQL server.

#include <QString>

namespace vx {

struct AppState;

struct DatabaseTarget {
    QString driver; // QSQLITE or QPSQL, as Database::driverFor gives it
    QString path;   // QSQLITE: the file
    // QPSQL
    QString host; // a name, an address, or the folder of the server's Unix socket
    int port = 5432;
    QString name;     // the database
    QString user;     // empty: the login name
    QString password; // empty: ~/.pgpass or a service file
    QString tlsMode;  // libpq's sslmode (verify-full checks the server's name and authority)
    QString caFile;   // the authority of the server's certificate

    bool isServer() const;
    bool operator==(const DatabaseTarget&) const = default;
    // What a message names: the file, or the database and its server.
    QString where() const;

    static DatabaseTarget file(const QString& path);
};

// The installation's database as the application-wide state holds it.
DatabaseTarget targetOf(const AppState& state);
// The other way: `state` names the server `server` (its driver, address, name, TLS and user).
void pointAtServer(AppState& state, const DatabaseTarget& server);

} // namespace vx
