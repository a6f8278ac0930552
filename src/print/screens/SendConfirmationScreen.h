#pragma once
// "Invio della richiesta": what the delivery involves, before the transmission screen opens.
// The old program's form: Invia.

#include "core/Context.h"

#include <QDialog>

namespace vx {

class SendConfirmationScreen : public QDialog {
    Q_OBJECT
public:
    explicit SendConfirmationScreen(Context& context, QWidget* parent = nullptr);

    void confirm(); // cmdConf

private:
    Context& m_ctx;
};

} // namespace vx
