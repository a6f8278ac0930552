#pragma once
// What the keyboard rules shared by every screen's text fields tell the user, once. (The common
// buttons' captions are the core's: msg::core::Text.)

#include "core/Prompter.h"

namespace vx::msg::ui {

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    // A "#" typed into a text field: no text typed by the user ever stores it.
    SharpRefused,
    // A key other than a digit typed into a numeric field.
    NotADigit,
};
Message notice(Notice id);

} // namespace vx::msg::ui
