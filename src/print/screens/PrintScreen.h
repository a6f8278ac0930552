#pragma once
// The print dialog, for the draft and for the definitive print: the interval between documents,
// the printer of the plain listing, the print itself through the progress form, and the
// emergency listing. It stays open for further prints until "Annulla".
// The old program's form: StBozza.

#include "core/Context.h"
#include "print/PrintSession.h"

#include <QDialog>

class QLineEdit;

namespace vx {

class PrintScreen : public QDialog {
    Q_OBJECT
public:
    PrintScreen(Context& context, PrintSession::Choice choice, QWidget* parent = nullptr);

    void confirm();        // cmdSt
    void setUpPrinter();   // CmdImpStamp
    void emergencyPrint(); // cmdStampaEmergenza
    void help();           // cmdAiuto

    // A definitive document was written whole during this dialog.
    bool definitiveWritten() const { return m_definitiveWritten; }

private:
    Context& m_ctx;
    PrintSession m_session;
    QLineEdit* m_interval;
    bool m_definitiveWritten = false;
};

} // namespace vx
