#pragma once
// The e-mail check of a text box: whether the address passes; the focus goes back to the box when
// it does not.

class QLineEdit;

namespace vx {

class Prompter;

bool ControllaEmail(QLineEdit* box, Prompter& prompter);

} // namespace vx
