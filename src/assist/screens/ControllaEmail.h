#pragma once
// The e-mail check of a text box: the application-wide valid flag is cleared, set only when the
// address passes, and the focus goes back to the box when it does not.

class QLineEdit;

namespace vx {

class Prompter;
struct AppState;

bool ControllaEmail(QLineEdit* box, Prompter& prompter, AppState& state);

} // namespace vx
