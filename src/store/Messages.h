#pragma once
// What the store tells the user about the database as a whole. The error trap's and the shared
// routines' texts are in ErrorTrap.h, the Italian lines for the engine's errors in ErrorAdvice.h.

#include "core/Prompter.h"

#include <QString>
#include <QStringList>

namespace vx::msg::store {

// A command that needs the database to itself found another workstation on it; `title` is the
// command's.
Message clientsConnected(const QString& title);
// The driver named by the installation's PROVIDER is not there (the error's description).
QString driverUnavailable(const QString& driver);
// A database on a server that does not hold the program's tables (the error's description).
QString noTables(const QString& where);
// The server's user `user` lacks `privileges` on the tables `tables` of `schema` in `where`.
QString noPrivileges(const QString& user, const QString& where, const QStringList& tables, const QString& privileges,
                     const QString& schema);
// A database laid out by a newer program (the error's description).
QString newerSchema(const QString& where, int found, int known);
// A connection to the server was lost in the middle of a statement (the error's description).
QString connectionLost(const QString& detail);
// No session could be opened on the server's database `where` (the code says why).
QString noConnection(const QString& where);

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // The title of what a change met of another workstation's.
    ConcurrentAccessTitle,
};
QString text(Text id);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    // A delete found the row gone already; the operation goes on as if it had succeeded.
    AlreadyDeleted,
    // An update found the row gone; Yes inserts it anew with the values on screen.
    AskReinsert,
};
Message notice(Notice id);

// The Request a change belongs to was deleted by another workstation; `consequence` says what was
// not done.
Message requestGone(qint32 numDoma, const QString& consequence);

} // namespace vx::msg::store
