#pragma once
// The desktop's Prompter: message boxes with exactly the given title, icon and buttons, and the
// system's file dialogs.

#include "core/AppControl.h"
#include "core/Prompter.h"

class QWidget;

namespace vx {

class QtPrompter : public Prompter {
public:
    Answer ask(const Message& message) override;
    QString chooseOpenFile(const FileChoice& choice) override;
    QString chooseSaveFile(const FileChoice& choice) override;
    QString chooseFolder(const FileChoice& choice) override;
    bool askPassword(const QString& text, const QString& title, QString& password) override;

    // "Desc|*.x|Desc 2|*.y" as a file dialog filter.
    static QString dialogFilter(const QString& filter);
};

// The desktop's end of the program: every event loop is left.
class QtAppControl : public AppControl {
public:
    void endProgram() override;
    void setBusy(bool busy) override;
};

// The program speaks Italian whatever the system's language: the Italian locale for dates and
// the calendar, and Qt's Italian translations, so that the standard buttons read "Sì", "No",
// "Annulla" and the file dialogs are Italian too.
void useItalian();

} // namespace vx
