#pragma once
// Creating a Request: the user's identity (digital certificate, or the alternative mode), the
// operator's authentication, a new number from the regional server, and the new row.
//
// The row is written whole in one transaction (number, running number, operator block and
// legal-seat block), so a stop halfway never leaves a half-filled Request, and two workstations
// creating Requests for the same operator and province at once queue up for the running number.
// The application-wide selected Request changes only once the row is in place.

#include "core/Context.h"
#include "core/Prompter.h"
#include "core/Settings.h"
#include "requests/RequestSelection.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace vx {

class Exchange;
struct TransferResult;

// What creation needs from the screens.
class CreationScreens {
public:
    virtual ~CreationScreens() = default;
    // The progress label of the server calls.
    virtual void showProgress(const QString& text) = 0;
    // The e-mail prompt: true once a valid address was confirmed (and saved in the user settings).
    virtual bool askEmail() = 0;
    // The alternative identification: the text the user pasted from the login page (empty when the
    // screen was closed without confirming).
    virtual QString alternativeIdentity(const QUrl& loginPage) = 0;
    // Runs the number request; the desktop shows its own window meanwhile.
    virtual qint32 runNumberRequest(const std::function<qint32()>& request) { return request(); }
};

// The identity id of an identity page's text: its second ";" part when it holds "RISPOSTA: OK".
QString identityFromAnswer(const QString& text);

class RequestCreation {
public:
    // The title of the browser-settings advice.
    static inline const QString QW77TRIM = kAppTitle;

    RequestCreation(Context& context, Exchange& exchange, CreationScreens& screens)
        : m_ctx(context), m_exchange(exchange), m_screens(screens)
    {
    }

    // The whole creation for the chosen operator and province; true when a Request was added and selected.
    bool create(const OperatorEntry& op, const ProvinceEntry& province);

    // The steps, in order.
    QString identity();
    bool authenticate(const OperatorEntry& op, const ProvinceEntry& province, const QString& identityId);
    // The new number, or 0. The program may have been ended (the user gave up after a transfer failure).
    qint32 requestNumber(const OperatorEntry& op);
    bool insertRequest(qint32 number, const OperatorEntry& op, const ProvinceEntry& province);

    // The transfer monitor's message for a transfer error.
    static Message transferErrorMessage(const TransferResult& result);

private:
    Settings settings() const;
    bool loadCertificate(struct ClientCertificate& certificate);
    QString alternativeMode(const QString& reason);
    void serverError(const QString& address, const TransferResult& result);

    Context& m_ctx;
    Exchange& m_exchange;
    CreationScreens& m_screens;
};

} // namespace vx
