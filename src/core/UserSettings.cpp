#include "core/UserSettings.h"

#include <QSettings>

namespace vx {

namespace {
// The system's own place for a user's settings (the registry on Windows), unless the process chose
// another format for all of its settings.
QSettings store()
{
    return QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("FP"),
                     QStringLiteral("VELTRANORPX"));
}

QString text(const char* key, const QString& fallback = QString())
{
    return store().value(QLatin1String(key), fallback).toString();
}

void put(const char* key, const QVariant& value)
{
    QSettings s = store();
    s.setValue(QLatin1String(key), value);
    s.sync();
}
} // namespace

QString UserSettings::email() const
{
    return text("E-Mail");
}
void UserSettings::setEmail(const QString& email)
{
    put("E-Mail", email);
}
QString UserSettings::serverMail() const
{
    return text("ServerMail");
}
void UserSettings::setServerMail(const QString& host)
{
    put("ServerMail", host);
}
QString UserSettings::lastUpdate() const
{
    return text("LastUpdate", kNoUpdate);
}
void UserSettings::setLastUpdate(const QString& date)
{
    put("LastUpdate", date);
}

QString UserSettings::certificate() const
{
    return text("CertificatoPersonale");
}
void UserSettings::setCertificate(const QString& path)
{
    put("CertificatoPersonale", path);
}

QString UserSettings::databaseUser() const
{
    return text("UtenteBaseDati");
}
void UserSettings::setDatabaseUser(const QString& user)
{
    put("UtenteBaseDati", user);
}

LookOptions UserSettings::lookOptions() const
{
    QSettings s = store();
    LookOptions o;
    o.underline = s.value(QStringLiteral("OptSottolinea"), 0).toInt() == 1;
    o.bold = s.value(QStringLiteral("OptAumenta"), 0).toInt() == 1;
    o.changeColour = s.value(QStringLiteral("OptCambia"), 1).toInt() == 1;
    return o;
}

void UserSettings::setLookOptions(const LookOptions& options)
{
    QSettings s = store();
    s.setValue(QStringLiteral("OptSottolinea"), options.underline ? 1 : 0);
    s.setValue(QStringLiteral("OptAumenta"), options.bold ? 1 : 0);
    s.setValue(QStringLiteral("OptCambia"), options.changeColour ? 1 : 0);
    s.sync();
}

} // namespace vx
