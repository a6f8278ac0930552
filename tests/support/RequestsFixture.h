#pragma once
// An installation that calls the regional servers' stand-in, for the tests of the Request
// creation, its screens and the command line.

#include "RegioneProcess.h"
#include "TestContext.h"

#include "core/Desktop.h"
#include "core/Settings.h"
#include "core/UserSettings.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QStringList>

namespace vx::test {

// The connection keys for `server`: its services, its certificate authority and a time limit;
// each of `extra` (KEY=value) takes the place of the key of its name or is added.
inline QStringList regioneConnection(const RegioneProcess& server, const QStringList& extra = {})
{
    QStringList lines{QStringLiteral("AUTENTICAZIONE=") + server.address(QStringLiteral("/autenticazione/verifica")),
                      QStringLiteral("NEMBO=") + server.address(QStringLiteral("/identita/risposta")),
                      QStringLiteral("VERSIONE=") + server.address(QStringLiteral("/versione/verifica")),
                      QStringLiteral("UPLOAD=") + QStringLiteral("https://127.0.0.1:%1").arg(server.port()),
                      QStringLiteral("CERTIFICATI_CA=") + RegioneProcess::certificates() + QStringLiteral("ca.pem"),
                      QStringLiteral("TEMPO_LIMITE=3"),
                      QStringLiteral("PAGINA_CERTIFICATI=https://regione.example/certificati")};
    for (const QString& line : extra) {
        const QString key = line.left(line.indexOf(QLatin1Char('=')) + 1);
        lines.removeIf([&](const QString& l) { return l.startsWith(key); });
        lines.append(line);
    }
    return lines;
}

// Starts `server` and points the installation of `c` at it: its INI written (with `extra` keys and
// the account scrambled as the installation package stores it), its state read, its database open.
inline bool installOn(RegioneProcess& server, InstalledContext& c, const QStringList& extra = {})
{
    const QString scrambled = QStringLiteral("sdfhnod;edln3137A"); // regione:demo2026@
    if (!server.start())
        return false;
    const QString nreg = server.address(QStringLiteral("/nreg/numero"));
    c.inst.writeIni({.nreg = nreg, .pwd = scrambled, .connessione = regioneConnection(server, extra)});
    c.state = c.inst.state();
    c.state.credential = Settings::unscramble(scrambled);
    c.state.serverLabel = Settings::serverLabel(nreg);
    return c.open(Database::Mode::StandAlone);
}

// A computer with no program for the file or address at hand.
class RefusingDesktop : public Desktop {
public:
    bool openUrl(const QUrl&) override { return false; }
    bool showTextFile(const QString&) override { return false; }
};

// The user's e-mail and personal certificate (password "demo"), as the options keep them.
inline void setUserIdentity()
{
    UserSettings user;
    user.setEmail(QStringLiteral("segreteria@ente.example"));
    user.setCertificate(RegioneProcess::certificates() + QStringLiteral("utente.p12"));
}

// Whether Qt's TLS here reads the personal certificate's PKCS#12 file: Qt 6.4's Schannel backend,
// the Windows build's when its toolchain has no OpenSSL backend, reads none.
inline bool personalCertificateReadable()
{
    QFile file(RegioneProcess::certificates() + QStringLiteral("utente.p12"));
    QSslKey key;
    QSslCertificate certificate;
    return file.open(QIODevice::ReadOnly) && QSslCertificate::importPkcs12(&file, &key, &certificate, nullptr, "demo");
}

} // namespace vx::test

#define VX_NEEDS_PERSONAL_CERTIFICATE()                                                                                \
    do {                                                                                                               \
        if (!vx::test::personalCertificateReadable())                                                                  \
            QSKIP("Qt's TLS here reads no PKCS#12 file (Qt 6.4's Schannel backend): the identification with "          \
                  "the personal certificate cannot be proven");                                                        \
    } while (false)
