#pragma once
// The e-mail prompt: the user confirms (or types) the address the regional services use.
// The old program's form: frmMailAggInst.

#include "core/Context.h"

#include <QDialog>

class QLineEdit;

namespace vx {

class AssistanceEmailScreen : public QDialog {
    Q_OBJECT
public:
    explicit AssistanceEmailScreen(Context& context, QWidget* parent = nullptr);

    // Opens the prompt; true when a valid address was confirmed (it is then saved).
    static bool ask(Context& context, QWidget* parent);

    void confirm(); // cmdConferma

private:
    Context& m_ctx;
    QLineEdit* m_email;
};

} // namespace vx
