#pragma once
// What the assistance subsystem tells the user: the e-mail address check (each rule's message,
// under the caller's title) and the assistance request with its form.

#include "core/Prompter.h"

#include <QString>

namespace vx::msg::assist {

// The fixed texts: captions, titles, labels and lines written as they are.
enum class Text {
    // -- e-mail address check, in the order of its rules
    EmailTitle,
    // The e-mail prompt's question.
    EmailQuestion,
    // -- assistance request
    // The title of its messages, and the form's caption.
    Title,
    FormCaption,
    FormNote,
    // The form's status line, step by step.
    StatusReady,
    StatusCopying,
    StatusBrowser,
    StatusConnecting,
    StatusConnected,
    StatusNotOpened,
    // The browser line of the computer's description when no default browser is known.
    NoBrowser,
    // The assistance request form.
    AccessCaption,
};
QString text(Text id);

// -- e-mail address check, in the order of its rules
Message emailMissing(const QString& title = text(Text::EmailTitle));
Message emailComma(const QString& title = text(Text::EmailTitle));
Message emailBlanks(const QString& title = text(Text::EmailTitle));
Message emailSlash(const QString& title = text(Text::EmailTitle));
Message emailDoubleDot(const QString& title = text(Text::EmailTitle));
Message emailNoAt(const QString& title = text(Text::EmailTitle));
Message emailNoDotAfterAt(const QString& title = text(Text::EmailTitle));
Message emailNoProvider(const QString& title = text(Text::EmailTitle));
Message emailNoUserName(const QString& title = text(Text::EmailTitle));
Message emailTwoAts(const QString& title = text(Text::EmailTitle));
Message emailPromptLeft(const QString& title = text(Text::EmailTitle));

// The page opened, and the copy of the database it asks to attach written at `archive`.
QString statusConnectedWithCopy(const QString& archive);
// The copy to attach could not be made (`reason`): Yes opens the page all the same.
Message copyFailed(const QString& reason);

} // namespace vx::msg::assist
