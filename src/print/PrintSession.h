#pragma once
// What the print dialog and its progress form decide: the captions by the print choice, the
// pause after each document, the run that writes the Request's document as a PDF and opens it
// in the system's viewer, and the emergency listing.
//
// A run that fails is told and ends: the user is back at the dialog and the program goes on. A
// definitive run counts as printed only when its PDF was written whole.

#include "core/Context.h"
#include "core/Prompter.h"
#include "print/PdfOutput.h"

#include <QString>

#include <functional>

namespace vx {

class PrintTarget;

class PrintSession {
public:
    enum class Choice { Draft, Definitive };

    struct Labels {
        QString caption;
        QString printType; // lblTipoStampa
    };

    explicit PrintSession(Context& context, Choice choice) : m_ctx(context), m_choice(choice) {}

    static Labels labelsFor(Choice choice);
    Choice choice() const { return m_choice; }
    PrintType printType() const { return m_choice == Choice::Draft ? PrintType::Draft : PrintType::Original; }

    // cmdSt, step 1: a value above 0 sets the pause to its whole seconds (at most what 32 bits
    // of milliseconds hold); 0 or less leaves the pause as it was.
    void setInterval(const QString& text);

    // The progress form's run. `progress` hears the document number and gives false to stop;
    // true when the PDF was written whole. Then it was told and opened in the system's viewer,
    // and the pause of the dialog followed.
    bool run(const std::function<bool(int)>& progress = {});
    // Before the definitive print of a Request not yet printed: the user is asked, and told plainly
    // that the print closes the Request's persons to changes and lets it be sent. True to go on
    // (a draft, or a Request printed before, asks nothing).
    bool confirmed();

    // The emergency listing (with the role legend; it never registers): the confirmation, then
    // the listing on `target`. True when the printer took it.
    bool emergencyPrint(PrintTarget& target);

private:
    void pause();

    Context& m_ctx;
    Choice m_choice;
};

} // namespace vx
