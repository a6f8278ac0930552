#pragma once
// The application-wide state: one object, created at start and passed by reference.

#include "core/UserSettings.h"

#include <QString>

namespace vx {

// The Request that every screen works on.
struct SelectedRequest {
    qint32 number = 0; // 0: no Request selected
    QString group;
    int operatorCode = 0;
    QString operatorName;
    int runningNumber = 0;
    QString province;
    QString provinceName;
    bool printed = false;

    bool operator==(const SelectedRequest&) const = default;
};

struct AppState {
    QString programFolder;    // ends with a separator
    QString installationType; // "StandAlone" or "Multiutenza"
    QString version;          // "SERVER" or "CLIENT"
    QString databasePath;
    QString databaseFileName;
    QString provider; // the Qt SQL driver: QSQLITE (a file) or QPSQL (a PostgreSQL server)
    // QPSQL: where the server is, as the shared INI says; the user is the workstation's own, and
    // the password is never written anywhere (~/.pgpass, a service file, or asked at start and
    // kept for the run).
    QString serverHost; // a name, an address, or a folder (the server's Unix socket)
    int serverPort = 5432;
    QString serverDatabase;
    QString serverTlsMode; // libpq's sslmode; empty: libpq's default
    QString serverCaFile;  // the authority of the server's certificate (absolute)
    QString serverUser;
    QString serverPassword;
    QString credential; // unscrambled
    QString serverLabel;
    QString helpFilePath;
    QString legalSeatType = QStringLiteral("SL");
    bool firstInstallation = false;
    bool decodeInstallMode = false; // the decode tables' mode: install (true) or update, kept for the registry
    bool reservedMode = false;
    LookOptions look;
    SelectedRequest selected;
    int printWaitMs = 0; // the pause after each printed document, set by the print dialog
};

} // namespace vx
