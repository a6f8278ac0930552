#pragma once
// What a database error means to the user, in one Italian line.
//
// Messages keep SQLite's number and text (they are what the assistance asks for), and add the
// line below for the errors a user can meet, saying what happened and what to do.

#include <QString>

namespace vx {

struct DbError;

// The Italian line for `error`, or an empty text when there is none for its code.
QString errorAdvice(const DbError& error);

// "Errore " + number + line break + description, followed by a line break and the Italian line
// when there is one.
QString errorLines(const DbError& error);

} // namespace vx
