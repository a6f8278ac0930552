#pragma once
// What every screen says alike: the common buttons' captions, and what the keyboard rules shared
// by every screen's text fields tell the user, once.

#include "core/Prompter.h"

namespace vx::msg::ui {

// The captions of the buttons that many screens carry.
enum class Text {
    OkCaption,
    ConfirmCaption,
    CancelCaption,
    HelpCaption,
    ExitCaption,
    // The button beside a file's name that opens the file dialog.
    BrowseCaption,
};
QString text(Text id);

// The fixed messages: a text, its title, icon and buttons.
enum class Notice {
    // A "#" typed into a text field: no text typed by the user ever stores it.
    SharpRefused,
    // A key other than a digit typed into a numeric field.
    NotADigit,
};
Message notice(Notice id);

} // namespace vx::msg::ui
