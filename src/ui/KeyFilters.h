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

// Only digits, backspace and Ctrl+V pass, and Enter, which reaches the window's default button;
// any other character is refused. With `decimalComma` the comma passes too and a full stop is typed
// as a comma. A field that is part of a date moves on to `next` at a "/", "-" or "." (typed as a
// date is written) instead of refusing it.
class IntegerFilter : public QObject {
    Q_OBJECT
public:
    IntegerFilter(Prompter& prompter, QObject* parent, bool decimalComma = false)
        : QObject(parent), m_prompter(prompter), m_decimalComma(decimalComma)
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void setNext(QLineEdit* next) { m_next = next; }

private:
    Prompter& m_prompter;
    bool m_decimalComma;
    QLineEdit* m_next = nullptr;
};

void installUpperCase(QLineEdit* edit, Prompter& prompter);
void installInteger(QLineEdit* edit, Prompter& prompter);
// Digits only, as installInteger, in a part of a date: a separator moves on to `next`.
void installDatePart(QLineEdit* edit, Prompter& prompter, QLineEdit* next);
void installDecimal(QLineEdit* edit, Prompter& prompter);
// Every "#" that reaches the text (a paste) becomes "SHARP".
void replaceSharp(QLineEdit* edit);

} // namespace vx
