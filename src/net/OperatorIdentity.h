#pragma once
// Who is at the keyboard, for the regional services that need it (a new Request number, the
// upload, the registry download): the user's identity from the identity service (the personal
// certificate, or the alternative login through a browser), then the operator's authentication.
//
// Every call can be stopped by the user; a stop is an outcome of its own, never reported as a
// certificate that does not belong to the operator.

#include "core/Context.h"
#include "core/Prompter.h"

#include <QString>
#include <QUrl>

namespace vx {

class Exchange;
struct ClientCertificate;

// What identification needs from the screens.
class IdentityScreens {
public:
    virtual ~IdentityScreens() = default;
    // The progress label of the server calls.
    virtual void showProgress(const QString& text) = 0;
    // The alternative identification: the text the user pasted from the login page (empty when the
    // screen was closed without confirming).
    virtual QString alternativeIdentity(const QUrl& loginPage) = 0;
};

// The identity id of an identity page's text: its second ";" part when it holds "RISPOSTA: OK".
QString identityFromAnswer(const QString& text);

class OperatorIdentity {
public:
    enum class Outcome {
        Verified,  // the operator is authenticated
        Refused,   // no identity, or not verified for the operator: the caller says so
        Cancelled, // the user stopped a call; nothing has been told
        Reported,  // the identity service answered with an error, already told
    };

    OperatorIdentity(Context& context, Exchange& exchange, IdentityScreens& screens)
        : m_ctx(context), m_exchange(exchange), m_screens(screens)
    {
    }

    // The identity, then the authentication of operator `group` `code` in `province` (its code).
    Outcome verify(const QString& group, qint32 code, const QString& province);

    // The steps, in order. `id` is empty when no identity was obtained.
    Outcome identity(QString& id);
    Outcome authenticate(const QString& group, qint32 code, const QString& province, const QString& id);

private:
    bool loadCertificate(ClientCertificate& certificate);
    QString alternativeMode(const QString& reason);

    Context& m_ctx;
    Exchange& m_exchange;
    IdentityScreens& m_screens;
};

} // namespace vx
