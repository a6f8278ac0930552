#pragma once
// What the assistance subsystem tells the user: the e-mail address check (each rule's message,
// under the caller's title) and the assistance request with its form.

#include "core/Prompter.h"

#include <QString>

namespace vx::msg::assist {

// -- e-mail address check, in the order of its rules
QString emailTitle();
Message emailMissing(const QString& title = emailTitle());
Message emailComma(const QString& title = emailTitle());
Message emailBlanks(const QString& title = emailTitle());
Message emailSlash(const QString& title = emailTitle());
Message emailDoubleDot(const QString& title = emailTitle());
Message emailNoAt(const QString& title = emailTitle());
Message emailNoDotAfterAt(const QString& title = emailTitle());
Message emailNoProvider(const QString& title = emailTitle());
Message emailNoUserName(const QString& title = emailTitle());
Message emailTwoAts(const QString& title = emailTitle());
Message emailPromptLeft(const QString& title = emailTitle());
// The e-mail prompt's question.
QString emailQuestion();

// -- assistance request
// The title of its messages, and the form's caption.
QString title();
QString formCaption();
QString formNote();
// The form's status line, step by step.
QString statusReady();
QString statusCopying();
QString statusBrowser();
QString statusConnecting();
QString statusConnected();
// The page opened, and the copy of the database it asks to attach written at `archive`.
QString statusConnectedWithCopy(const QString& archive);
QString statusNotOpened();
// The copy to attach could not be made (`reason`): Yes opens the page all the same.
Message copyFailed(const QString& reason);
// The browser line of the computer's description when no default browser is known.
QString noBrowser();

} // namespace vx::msg::assist
