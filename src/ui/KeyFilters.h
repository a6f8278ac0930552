#pragma once
// The keyboard rules of text fields: upper case without "#", digits only, and no "#" stored.

#include <QObject>

class QLineEdit;

namespace vx {

class Prompter;

// Typed letters become capitals; "#" is refused with its message.
class UpperCaseFilter : public QObject {
    Q_OBJECT
public:
    UpperCaseFilter(Prompter& prompter, QObject* parent) : QObject(parent), m_prompter(prompter) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Prompter& m_prompter;
};

// Only digits, backspace and Ctrl+V pass; Enter is swallowed; any other character is refused.
// With `decimalComma` the comma passes too and a full stop is typed as a comma.
class IntegerFilter : public QObject {
    Q_OBJECT
public:
    IntegerFilter(Prompter& prompter, QObject* parent, bool decimalComma = false)
        : QObject(parent), m_prompter(prompter), m_decimalComma(decimalComma)
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Prompter& m_prompter;
    bool m_decimalComma;
};

void installUpperCase(QLineEdit* edit, Prompter& prompter);
void installInteger(QLineEdit* edit, Prompter& prompter);
void installDecimal(QLineEdit* edit, Prompter& prompter);
// Every "#" that reaches the text (a paste) becomes "SHARP".
void replaceSharp(QLineEdit* edit);

} // namespace vx
