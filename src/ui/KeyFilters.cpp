#include "ui/KeyFilters.h"

#include "core/Prompter.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace vx {

namespace {
bool isShortcut(const QKeyEvent* key)
{
    return key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}
} // namespace

bool UpperCaseFilter::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.isEmpty() || isShortcut(key) || !text.at(0).isPrint())
        return false;
    if (text.contains(QLatin1Char('#'))) {
        QApplication::beep();
        m_prompter.ask(msg::ui::notice(msg::ui::Notice::SharpRefused));
        return true;
    }
    const QString upper = text.toUpper();
    if (upper == text)
        return false;
    if (!edit->isReadOnly())
        edit->insert(upper);
    return true;
}

bool IntegerFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        return false;
    if (key->key() == Qt::Key_Backspace || key->matches(QKeySequence::Paste))
        return false;
    const QString text = key->text();
    if (m_next && (text == QLatin1String("/") || text == QLatin1String("-") || text == QLatin1String("."))) {
        m_next->setFocus(Qt::TabFocusReason);
        m_next->selectAll();
        return true;
    }
    if (text.isEmpty() || isShortcut(key) || !text.at(0).isPrint())
        return false;
    if (text.size() == 1 && text[0].unicode() >= '0' && text[0].unicode() <= '9')
        return false;
    if (m_decimalComma && text == QLatin1String(","))
        return false;
    if (m_decimalComma && text == QLatin1String(".")) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched); edit && !edit->isReadOnly())
            edit->insert(QStringLiteral(","));
        return true;
    }
    QApplication::beep();
    m_prompter.ask(msg::ui::notice(msg::ui::Notice::NotADigit));
    return true;
}

void installDecimal(QLineEdit* edit, Prompter& prompter)
{
    edit->installEventFilter(new IntegerFilter(prompter, edit, true));
}

void installUpperCase(QLineEdit* edit, Prompter& prompter)
{
    edit->installEventFilter(new UpperCaseFilter(prompter, edit));
}

void installInteger(QLineEdit* edit, Prompter& prompter)
{
    edit->installEventFilter(new IntegerFilter(prompter, edit));
}

void installDatePart(QLineEdit* edit, Prompter& prompter, QLineEdit* next)
{
    auto* filter = new IntegerFilter(prompter, edit);
    filter->setNext(next);
    edit->installEventFilter(filter);
}

void replaceSharp(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
        if (!text.contains(QLatin1Char('#')))
            return;
        const int cursor = edit->cursorPosition();
        const int before = static_cast<int>(text.left(cursor).count(QLatin1Char('#')));
        QString replaced = text;
        replaced.replace(QLatin1Char('#'), QStringLiteral("SHARP"));
        edit->setText(replaced);
        edit->setCursorPosition(cursor + before * 4);
    });
}

} // namespace vx
