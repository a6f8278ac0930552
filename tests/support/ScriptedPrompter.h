#pragma once
// A Prompter for tests: the messages the user must see, in order, each with the answer to give.
// A message that was not expected, or one expected and never shown, fails the test: at
// VX_VERIFY_PROMPTS, and in any case when the prompter goes out of scope, so that no test can
// forget to look.

#include "core/Prompter.h"

#include <QStringList>

#include <deque>

namespace vx::test {

class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter() = default;
    ScriptedPrompter(const ScriptedPrompter&) = delete;
    ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;
    ~ScriptedPrompter() override;

    ScriptedPrompter& expect(const Message& message, Answer answer = Answer::Ok);
    ScriptedPrompter& expect(const QString& text, const QString& title, Icon icon, Buttons buttons = Buttons::Ok,
                             Answer answer = Answer::Ok);
    ScriptedPrompter& expectOpenFile(const QString& result);
    ScriptedPrompter& expectSaveFile(const QString& result);
    ScriptedPrompter& expectFolder(const QString& result);
    // A password question; `accept` false answers as the cancel button.
    ScriptedPrompter& expectPassword(const QString& title, const QString& password, bool accept = true);

    Answer ask(const Message& message) override;
    QString chooseOpenFile(const FileChoice& choice) override;
    QString chooseSaveFile(const FileChoice& choice) override;
    QString chooseFolder(const FileChoice& choice) override;
    bool askPassword(const QString& text, const QString& title, QString& password) override;

    // From now on no script: every message is answered as a user who goes on (Ok, Yes, and Retry
    // up to `retries` times when `retry`, then Cancel), and only recorded in shown().
    void goOn(bool retry, int retries = 3);

    // Empty when every expected message was shown and nothing else; otherwise what went wrong.
    // What it gives counts as looked at: the end of the scope reports only what came after.
    QString problems();
    QStringList shown() const { return m_shown; }

private:
    struct Step {
        enum Kind { Ask, Open, Save, Folder, Password } kind;
        Message message;
        Answer answer;
        QString path;
    };
    QString takeFile(Step::Kind kind, const FileChoice& choice);

    QString pending() const;

    bool m_goOn = false;
    bool m_retry = false;
    int m_retriesLeft = 0;
    std::deque<Step> m_steps;
    QStringList m_problems;
    QString m_lookedAt;
    QStringList m_shown;
};

} // namespace vx::test

// Fails the current test when the prompter saw anything but its script.
#define VX_VERIFY_PROMPTS(prompter)                                                                                    \
    do {                                                                                                               \
        const QString vxProblems = (prompter).problems();                                                              \
        QVERIFY2(vxProblems.isEmpty(), qPrintable(vxProblems));                                                        \
    } while (false)
