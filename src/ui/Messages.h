#pragma once
// What the keyboard rules shared by every screen's text fields tell the user, once.

#include "core/Prompter.h"

namespace vx::msg::ui {

// A "#" typed into a text field: no text typed by the user ever stores it.
Message sharpRefused();
// A key other than a digit typed into a numeric field.
Message notADigit();

} // namespace vx::msg::ui
