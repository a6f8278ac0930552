#include "print/PrintRegistration.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Messages.h"
#include "print/Messages.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"
#include "store/Messages.h"
#include "transmission/TransmissionFile.h"

namespace vx {

bool PrintRegistration::trasDoma()
{
    return isPrinted(m_ctx.db, m_ctx.state.selected.number);
}

bool PrintRegistration::sendableBeforeRegistering()
{
    TransmissionFile file(m_ctx);
    TransmissionFile::Readiness ready;
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    const bool read = trap.run(msg::print::text(msg::print::Text::DefinitiveOperation), [&] {
        Busy busy(m_ctx.control);
        ready = file.readiness(m_ctx.state.selected.number);
        return ready.error;
    });
    if (!read)
        return false;
    if (ready.sendable)
        return true;
    if (ready.faults.isEmpty())
        m_ctx.prompter.ask(ready.anomaly);
    else
        m_ctx.prompter.ask(msg::print::notSendable(ready.faults.join(QStringLiteral("\r\n")), ready.reportPath));
    return false;
}

PrintRegistration::DeliveryState PrintRegistration::stateFor(bool printed)
{
    return {printed, printed,
            printed ? msg::core::text(msg::core::Text::ExitCaption) : msg::print::text(msg::print::Text::ExitDisabled)};
}

bool PrintRegistration::markPrinted(const QString& operation)
{
    const qint32 number = m_ctx.state.selected.number;
    int updated = -1;
    ErrorTrap trap(m_ctx.prompter, m_ctx.control);
    const bool ran = trap.run(operation, [&] {
        QSqlQuery q = m_ctx.db.query();
        if (!m_ctx.db.exec(q, QStringLiteral("UPDATE Domande SET DomandaStampata = 1 WHERE NumDoma = ?"), {number}))
            return m_ctx.db.lastError();
        updated = q.numRowsAffected();
        return DbError();
    });
    if (!ran)
        return false;
    if (updated == 0) {
        m_ctx.prompter.ask(msg::store::requestGone(number, msg::print::text(msg::print::Text::NotRegistered)));
        return false;
    }
    m_ctx.state.selected.printed = true;
    return true;
}

bool PrintRegistration::registraStampa()
{
    return markPrinted(msg::print::text(msg::print::Text::DefinitiveOperation));
}

PrintRegistration::DeliveryState PrintRegistration::afterDefinitivePrint(const DeliveryState& current,
                                                                         bool printedBefore, bool definitiveWritten)
{
    if (!definitiveWritten || printedBefore || !registraStampa())
        return current;
    m_ctx.prompter.ask(msg::print::registeredClosed(m_ctx.state.selected.number));
    return stateFor(true);
}

PrintRegistration::DeliveryState PrintRegistration::alternativePrint(const DeliveryState& current,
                                                                     const std::function<bool()>& printListing)
{
    if (m_ctx.prompter.ask(msg::print::notice(msg::print::Notice::AlternativeQuestion)) != Answer::Yes)
        return current;
    if (!m_ctx.state.selected.printed && !sendableBeforeRegistering())
        return current;
    if (!printListing()) {
        m_ctx.prompter.ask(msg::print::printerRefusedNotRegistered());
        return current;
    }
    // As the original does, this path registers also a Request registered already and leaves the
    // exit caption as it was; the printed flag follows the database, so that the persons are
    // read-only from now on.
    if (!markPrinted(msg::print::text(msg::print::Text::AlternativeTitle)))
        return current;
    m_ctx.prompter.ask(msg::print::registered());
    DeliveryState next = current;
    next.sendEnabled = true;
    next.saveEnabled = true;
    return next;
}

} // namespace vx
