#pragma once
// The per-user preferences (organisation "FP", application "VELTRANORPX").

#include <QString>

namespace vx {

struct LookOptions {
    bool underline = false;
    bool bold = false;
    bool changeColour = true;

    bool operator==(const LookOptions&) const = default;
};

class UserSettings {
public:
    static inline const QString kEmailPrompt = QStringLiteral("Indirizzo e-mail...");
    static inline const QString kNoUpdate = QStringLiteral("__/__/____");

    QString email() const; // empty when missing
    void setEmail(const QString& email);
    QString serverMail() const;
    void setServerMail(const QString& host);
    QString lastUpdate() const;
    void setLastUpdate(const QString& date);
    // The user's digital certificate (a PKCS#12 file) for the identity service.
    QString certificate() const;
    void setCertificate(const QString& path);
    // The user's name on the database server (PostgreSQL); empty: the login name.
    QString databaseUser() const;
    void setDatabaseUser(const QString& user);
    LookOptions lookOptions() const;
    void setLookOptions(const LookOptions& options);
};

} // namespace vx
