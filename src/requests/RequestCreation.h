#pragma once
// Creating a Request: the user's identity and the operator's authentication (OperatorIdentity), a
// new number from the regional server, and the new row.
//
// The row is written whole in one transaction (number, running number, operator block and
// legal-seat block), so a stop halfway never leaves a half-filled Request, and two workstations
// creating Requests for the same operator and province at once queue up for the running number.
// The application-wide selected Request changes only once the row is in place.
//
// The user may stop any server call; the creation then ends, says so, and adds nothing.

#include "core/Context.h"
#include "core/Prompter.h"
#include "net/OperatorIdentity.h"
#include "requests/RequestSelection.h"

#include <QString>
#include <QUrl>

#include <functional>

namespace vx {

class Exchange;

// What creation needs from the screens, besides identification's.
class CreationScreens : public IdentityScreens {
public:
    // The e-mail prompt: true once a valid address was confirmed (and saved in the user settings).
    virtual bool askEmail() = 0;
    // Runs the number request; the desktop shows its own window meanwhile.
    virtual qint32 runNumberRequest(const std::function<qint32()>& request) { return request(); }
};

class RequestCreation {
public:
    RequestCreation(Context& context, Exchange& exchange, CreationScreens& screens)
        : m_ctx(context), m_exchange(exchange), m_screens(screens)
    {
    }

    // The whole creation for the chosen operator and province; true when a Request was added and selected.
    bool create(const OperatorEntry& op, const ProvinceEntry& province);

    // The new number, or 0. The program may have been ended (the user gave up after a transfer
    // failure), or the user may have stopped the call (`interrupted`).
    qint32 requestNumber(const OperatorEntry& op);
    bool interrupted() const { return m_interrupted; }
    // The new row; false (and the user told) when it could not be added, as when the number is
    // one this database holds already.
    bool insertRequest(qint32 number, const OperatorEntry& op, const ProvinceEntry& province);

private:
    void tellInterrupted();

    Context& m_ctx;
    Exchange& m_exchange;
    CreationScreens& m_screens;
    bool m_interrupted = false;
};

} // namespace vx
