#pragma once
// The e-mail address check shared by every screen that asks for an address: ten rules in a fixed
// order after the empty check; the first that fails is told to the user.

#include <QString>

namespace vx {

class Prompter;

inline const QString kEmailTitle = QStringLiteral("Indirizzo e-mail");

// The message of the first rule the address breaks, or an empty text when it is valid.
QString emailFault(const QString& address);

// Checks `address`, telling the user the fault under `title` (empty: "Indirizzo e-mail").
bool VerificaEmail(Prompter& prompter, const QString& address, const QString& title = QString());

} // namespace vx
