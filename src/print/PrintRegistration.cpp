#include "print/PrintRegistration.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "store/Database.h"
#include "store/ErrorTrap.h"
#include "store/Lookups.h"

namespace vx {

namespace {
const QString kNotRegistered = QStringLiteral("La stampa non è stata registrata.");
}

bool PrintRegistration::trasDoma()
{
    return isPrinted(m_ctx.db, m_ctx.state.selected.number);
}

PrintRegistration::DeliveryState PrintRegistration::stateFor(bool printed)
{
    return {printed, printed, printed ? QStringLiteral("Esci") : QStringLiteral("Annulla Invio Proposta")};
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
        m_ctx.prompter.ask(concurrency::requestGone(number, kNotRegistered));
        return false;
    }
    m_ctx.state.selected.printed = true;
    return true;
}

bool PrintRegistration::registraStampa()
{
    return markPrinted(QStringLiteral("Stampa Definitivo"));
}

PrintRegistration::DeliveryState PrintRegistration::afterDefinitivePrint(const DeliveryState& current,
                                                                         bool printedBefore, bool definitiveWritten)
{
    if (!definitiveWritten || printedBefore)
        return current;
    return registraStampa() ? stateFor(true) : current;
}

Message PrintRegistration::alternativeQuestion()
{
    return {QStringLiteral("Questa funzione permette di realizzare un documento alternativo della Richiesta in modo da "
                           "abilitare la trasmissione.\r\n"
                           "In particolare questa funzione puo' essere utilizzata se si è verificato un errore con la "
                           "modalità di stampa 'classica'.\r\n"
                           "Se si desidera creare autonomamente un file PDF per poterlo conservare invece del "
                           "documento cartaceo, si suggerisce di scegliere come stampante predefinita una stampante "
                           "PDF.\r\n"
                           "Confermare l'operazione di stampa?"),
            kAlternativeTitle, Icon::None, Buttons::YesNo};
}

PrintRegistration::DeliveryState PrintRegistration::alternativePrint(const DeliveryState& current,
                                                                     const std::function<bool()>& printListing)
{
    if (m_ctx.prompter.ask(alternativeQuestion()) != Answer::Yes)
        return current;
    if (!printListing()) {
        m_ctx.prompter.tell(QStringLiteral("La stampante non ha accettato la stampa.\n") + kNotRegistered,
                            kAlternativeTitle, Icon::Exclamation);
        return current;
    }
    // As the original does, this path registers also a Request registered already and leaves the
    // exit caption as it was; the printed flag follows the database, so that the persons are
    // read-only from now on.
    if (!markPrinted(kAlternativeTitle))
        return current;
    m_ctx.prompter.tell(QStringLiteral("Registrazione della stampa avvenuta. Trasmissione dati abilitata"), kAppTitle,
                        Icon::None);
    DeliveryState next = current;
    next.sendEnabled = true;
    next.saveEnabled = true;
    return next;
}

} // namespace vx
