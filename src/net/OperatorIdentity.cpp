#include "net/OperatorIdentity.h"

#include "core/AppState.h"
#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/UserSettings.h"
#include "net/Exchange.h"
#include "net/Messages.h"
#include "net/ServerCall.h"
#include "store/Lookups.h"

#include <QFileInfo>

namespace vx {

QString identityFromAnswer(const QString& text)
{
    if (!text.toUpper().contains(QLatin1String("RISPOSTA: OK")))
        return QString();
    return splitElement(text, QStringLiteral(";"), 1);
}

OperatorIdentity::Outcome OperatorIdentity::verify(const QString& group, qint32 code, const QString& province)
{
    QString id;
    const Outcome found = identity(id);
    if (found != Outcome::Verified)
        return found;
    return authenticate(group, code, province, id);
}

bool OperatorIdentity::loadCertificate(ClientCertificate& certificate)
{
    const QString path = UserSettings().certificate();
    // Without the network module no certificate can be read (and no call made: the call says why).
    if (path.isEmpty() || !Exchange::moduleAvailable())
        return false;
    if (!QFileInfo(path).isFile()) {
        m_ctx.prompter.ask(msg::net::certificateMissing(path));
        return false;
    }
    for (;;) {
        QString password;
        if (!m_ctx.prompter.askPassword(msg::net::certificatePasswordPrompt(QFileInfo(path).fileName()),
                                        msg::net::text(msg::net::Text::CertificateTitle), password))
            return false;
        if (ClientCertificate::load(path, password, certificate))
            return true;
        m_ctx.prompter.ask(msg::net::notice(msg::net::Notice::CertificatePasswordWrong));
    }
}

QString OperatorIdentity::alternativeMode(const QString& reason)
{
    m_ctx.prompter.ask(msg::net::notConnected(reason));
    m_ctx.prompter.ask(msg::net::notice(msg::net::Notice::AlternativeIdentification));
    const Settings settings = Settings::read(IniFile(m_ctx.state.programFolder));
    QString login = settings.identityLogin;
    if (login.isEmpty()) {
        QUrl nembo(settings.identity);
        nembo.setPath(QStringLiteral("/identita/accesso"));
        login = nembo.toString();
    }
    return identityFromAnswer(m_screens.alternativeIdentity(QUrl(login)));
}

OperatorIdentity::Outcome OperatorIdentity::identity(QString& id)
{
    id.clear();
    ClientCertificate certificate;
    if (!loadCertificate(certificate)) {
        id = alternativeMode(msg::net::text(msg::net::Text::NoPersonalCertificate));
        return Outcome::Verified;
    }
    const QString address = Settings::read(IniFile(m_ctx.state.programFolder)).identity;
    TransferResult page;
    {
        ProgressFollower follower(m_exchange, [this](const QString& text) { m_screens.showProgress(text); });
        page = m_exchange.get(QUrl(address), certificate);
    }
    if (page.cancelled())
        return Outcome::Cancelled;
    if (!page.completed) {
        id = alternativeMode(msg::net::identityPageUnavailable(page.errorCode, page.errorText));
        return Outcome::Verified;
    }
    // The identity page is a web page by nature: what marks an error is the server's status or its
    // own word for it, never the HTML.
    const QString text = Exchange::pageText(page.answer);
    id = identityFromAnswer(text);
    if (id.isEmpty() && (page.httpStatus >= 500 || Exchange::containsErrore(text))) {
        tellServerError(m_ctx, address, page);
        return Outcome::Reported;
    }
    return Outcome::Verified;
}

OperatorIdentity::Outcome OperatorIdentity::authenticate(const QString& group, qint32 code, const QString& province,
                                                         const QString& id)
{
    if (id.isEmpty()) {
        m_ctx.prompter.ask(msg::net::notice(msg::net::Notice::AuthenticationFailed));
        return Outcome::Refused;
    }
    const QString address = Settings::read(IniFile(m_ctx.state.programFolder)).authentication;
    const QByteArray body =
        Exchange::formBody({{QStringLiteral("gruppo"), group},
                            {QStringLiteral("codice"), QString::number(code)},
                            {QStringLiteral("nembo_id"), id},
                            {QStringLiteral("prov"), RecuperaSigProv(m_ctx.db, m_ctx.prompter, province)}});
    const TransferResult result = postAndReport(
        m_exchange, m_ctx.prompter, [this](const QString& text) { m_screens.showProgress(text); }, QUrl(address), body);
    if (result.cancelled())
        return Outcome::Cancelled;
    if (result.failed()) {
        m_ctx.prompter.ask(msg::net::notice(msg::net::Notice::AuthenticationUnreachable));
        return Outcome::Refused;
    }
    m_screens.showProgress(msg::net::text(msg::net::Text::Processing));
    if (Exchange::containsErrore(result.answer) || Exchange::isHtml(result.answer)) {
        tellServerError(m_ctx, address, result);
        return Outcome::Refused;
    }
    if (!result.answer.contains(QLatin1String("VERIFICA SUPERATA")))
        return Outcome::Refused;
    m_screens.showProgress(msg::net::text(msg::net::Text::Processed));
    return Outcome::Verified;
}

} // namespace vx
