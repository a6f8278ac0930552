#pragma once
// "Invio della richiesta": what the delivery involves, before the transmission screen opens.

#include "core/Context.h"

#include <QDialog>

namespace vx {

class Invia : public QDialog {
    Q_OBJECT
public:
    explicit Invia(Context& context, QWidget* parent = nullptr);

    void confirm(); // cmdConf

private:
    Context& m_ctx;
};

} // namespace vx
