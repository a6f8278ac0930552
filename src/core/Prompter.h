#pragma once
// Every message box, question and file choice the user sees goes through a Prompter, so that
// the desktop shows it and a test can state it: text, title, icon and buttons, in order.

#include <QString>

namespace vx {

// The application title, which many messages carry.
inline constexpr char16_t kAppName[] = u"VELTRANORPX";
inline const QString kAppTitle = QString::fromUtf16(kAppName);

enum class Icon { None, Critical, Exclamation, Information, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// The answer that changes nothing: a box closed without a button, or a question nobody is there
// to answer (the command line).
Answer safeAnswer(Buttons buttons);

struct Message {
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;

    bool operator==(const Message&) const = default;
};

// A file choice. `filter` keeps the "description|pattern|description|pattern" form of the
// installation's dialogs; the Prompter turns it into what its dialog needs.
struct FileChoice {
    QString title;
    QString folder;
    QString filter;
    QString proposedName;

    bool operator==(const FileChoice&) const = default;
};

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual Answer ask(const Message& message) = 0;
    // The chosen path, or an empty text when the user cancels.
    virtual QString chooseOpenFile(const FileChoice& choice) = 0;
    virtual QString chooseSaveFile(const FileChoice& choice) = 0;
    // A folder (`choice.folder` proposed; the filter and name unused); empty when the user cancels.
    virtual QString chooseFolder(const FileChoice& choice)
    {
        Q_UNUSED(choice)
        return QString();
    }
    // A hidden text (a password); false when the user cancels.
    virtual bool askPassword(const QString& text, const QString& title, QString& password) = 0;

    // Shorthand for a plain message with the OK button.
    void tell(const QString& text, const QString& title, Icon icon) { ask({text, title, icon, Buttons::Ok}); }
};

QString describe(const Message& message);

} // namespace vx
