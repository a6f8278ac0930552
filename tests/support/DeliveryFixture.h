#pragma once
// A printed Request ready to be delivered, and the regional servers' stand-in to deliver it to:
// what the delivery, version-check, command-line and fault tests share.
//
// Request 37 of operator A-12 (addOperatorWithRequest), printed, with ROSSI MARIO (role 1 at the
// agency) and BIANCHI LAURA (role 5 at the agency): both pass every check of the person card.

#include "RegioneProcess.h"
#include "Support.h"
#include "TestContext.h"

#include "core/Settings.h"
#include "net/Exchange.h"
#include "transmission/RequestDelivery.h"

#include <memory>

namespace vx::test {

inline const QString kDeliveryFile = QStringLiteral("VELTRANORPX_6_37.A12");
inline const QString kDeliveryEmail = QStringLiteral("ente@posta.it");

inline void seedDeliverable(const TestInstallation& inst, bool printed = true)
{
    inst.addOperatorWithRequest(37, printed);
    inst.sql(QStringLiteral("UPDATE Domande SET Corrispondenza = 1 WHERE NumDoma = 37"));
    inst.addRole(rossi(37));
    inst.addRole({37, "BNCLRA78D43L219O", "BIANCHI", "LAURA", "03", "04", "1978", "l.bianchi@ente.example",
                  "0115550102", "A", 12, 0, 5});
}

// The INI lines of an installation that talks to `server` (VERSIONE, UPLOAD, CERTIFICATI_CA and a
// time limit of `seconds`).
inline QStringList connectionTo(const RegioneProcess& server, int seconds = 5)
{
    const QString base = QStringLiteral("https://127.0.0.1:%1").arg(server.port());
    return {QStringLiteral("VERSIONE=") + base + QStringLiteral("/versione/verifica"),
            // UPLOAD holds the host and port alone, as the installations write it.
            QStringLiteral("UPLOAD=127.0.0.1:%1").arg(server.port()),
            QStringLiteral("CERTIFICATI_CA=") + RegioneProcess::certificates() + QStringLiteral("ca.pem"),
            QStringLiteral("TEMPO_LIMITE=%1").arg(seconds)};
}

// The installation above, open, with the delivery of `version` to a started stand-in.
struct DeliveryContext : InstalledContext {
    RegioneProcess server;
    QString version = QStringLiteral("1.0.0"); // of the program that delivers
    Settings settings;
    std::unique_ptr<Exchange> exchange;
    std::unique_ptr<RequestDelivery> delivery;

    DeliveryContext()
    {
        clock.fixed = QDateTime(QDate(2026, 3, 5), QTime(9, 0));
        seedDeliverable(inst);
    }
    // Starts the stand-in (configured through `server.sections` beforehand); `extra` INI lines take
    // the place of the connection's lines of the same key.
    bool start(const QStringList& extra = {})
    {
        if (!server.start())
            return false;
        QStringList lines = connectionTo(server);
        for (const QString& line : extra)
            lines.removeIf(
                [&](const QString& l) { return l.section(QLatin1Char('='), 0, 0) == line.section('=', 0, 0); });
        inst.writeIni({.connessione = lines + extra});
        state = inst.state();
        state.serverLabel = QStringLiteral("regione.example");
        settings = Settings::read(inst.ini());
        exchange = std::make_unique<Exchange>(ExchangeSettings::from(settings));
        delivery = std::make_unique<RequestDelivery>(ctx, *exchange, settings, version);
        return open();
    }
    QString received() const { return server.folder() + QStringLiteral("stato/ricevuti/") + kDeliveryFile; }
};

} // namespace vx::test
