#pragma once
// The e-mail address check shared by every screen that asks for an address: ten rules in a fixed
// order after the empty check; the first that fails is told to the user.

#include "core/Prompter.h"

#include <QString>

#include <optional>

namespace vx {

// The message of the first rule the address breaks, under `title`; nothing when it is valid.
std::optional<Message> emailCheck(const QString& address, const QString& title);

// The text of that message, or an empty text when the address is valid.
QString emailFault(const QString& address);

// Checks `address`, telling the user the fault under `title` (empty: "Indirizzo e-mail").
bool VerificaEmail(Prompter& prompter, const QString& address, const QString& title = QString());

} // namespace vx
