#pragma once
// The application-wide state: one object, created at start and passed by reference.

#include "app/UserSettings.h"
#include "requests/SelectedRequest.h"

#include <QString>

namespace vx {

struct AppState {
    QString programFolder;    // ends with a separator
    QString installationType; // "StandAlone" or "Multiutenza"
    QString version;          // "SERVER" or "CLIENT"
    QString databasePath;
    QString databaseFileName;
    QString provider;   // the Qt SQL driver
    QString credential; // unscrambled
    QString serverLabel;
    QString helpFilePath;
    QString legalSeatType = QStringLiteral("SL");
    bool firstInstallation = false;
    bool reservedMode = false;
    bool emailValid = false;
    LookOptions look;
    SelectedRequest selected;
};

} // namespace vx
