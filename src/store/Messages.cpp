#include "store/Messages.h"

#include "core/TextTable.h"

namespace vx::msg::store {

Message clientsConnected(const QString& title)
{
    return {QStringLiteral("Qualche client potrebbe ancora essere connesso alla base dati. \r\n\r\n"
                           "L'operazione non è consentita."),
            title, Icon::Critical, Buttons::Ok};
}

QString driverUnavailable(const QString& driver)
{
    return QStringLiteral("Driver di base dati non disponibile: %1").arg(driver);
}

QString noTables(const QString& where)
{
    return QStringLiteral("La base dati %1 non contiene le tabelle di VELTRANORPX.").arg(where);
}

QString noPrivileges(const QString& user, const QString& where, const QStringList& tables, const QString& privileges,
                     const QString& schema)
{
    return QStringLiteral("L'utente %1 non ha i permessi necessari (%2) sulle tabelle di VELTRANORPX della base dati "
                          "%3: %4.\nL'amministratore del server deve concederli, ad esempio con:\n"
                          "GRANT %2 ON ALL TABLES IN SCHEMA %5 TO %1;")
        .arg(user, privileges, where, tables.join(QStringLiteral(", ")), schema);
}

QString newerSchema(const QString& where, int found, int known)
{
    return QStringLiteral("La base dati %1 è della versione %2, più recente di quelle che questo programma conosce "
                          "(fino alla %3).")
        .arg(where)
        .arg(found)
        .arg(known);
}

QString noConnection(const QString& where)
{
    return QStringLiteral("Collegamento alla base dati %1 non riuscito.").arg(where);
}

QString connectionLost(const QString&)
{
    // libpq's own words are English ("server closed the connection unexpectedly"): the user is
    // told what happened in Italian, and the advice that follows says what to do.
    return QStringLiteral("Collegamento con il server della base dati interrotto.");
}

namespace {

constexpr TextEntry<Text> kTexts[] = {
    {Text::ConcurrentAccessTitle, u"Accesso concorrente"},
};
static_assert(std::size(kTexts) == size_t(Text::ConcurrentAccessTitle) + 1 && inOrder(kTexts));

constexpr auto title = [](Text id) { return kTexts[size_t(id)].text; };

constexpr MessageEntry<Notice> kNotices[] = {
    {Notice::AlreadyDeleted, u"Il record che si è deciso di eliminare è già stato cancellato da un'altra postazione. ",
     title(Text::ConcurrentAccessTitle), Icon::Exclamation, Buttons::Ok},
    {Notice::AskReinsert,
     u"Il record che si sta cercando di aggiornare è stato cancellato da un altro operatore.\nReinserire il record?",
     title(Text::ConcurrentAccessTitle), Icon::Exclamation, Buttons::YesNo},
};
static_assert(std::size(kNotices) == size_t(Notice::AskReinsert) + 1 && inOrder(kNotices));

} // namespace

QString text(Text id)
{
    return textOf(kTexts, id);
}

Message notice(Notice id)
{
    return messageOf(kNotices, id);
}

Message requestGone(qint32 numDoma, const QString& consequence)
{
    return {
        QStringLiteral("La richiesta n. %1 non esiste più: è stata cancellata da un'altra postazione.\n").arg(numDoma) +
            consequence,
        text(Text::ConcurrentAccessTitle), Icon::Exclamation, Buttons::Ok};
}

} // namespace vx::msg::store
