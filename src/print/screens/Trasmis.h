#pragma once
// "Stampa Definitivo / Invio Richiesta": the definitive print through the print dialog, the
// alternative print that registers, and (from the transmission) the save and the send, enabled
// only once the Request is registered as printed, and the history of the Request's transmissions.

#include "core/Context.h"
#include "print/PrintRegistration.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace vx {

class Trasmis : public QDialog {
    Q_OBJECT
public:
    explicit Trasmis(Context& context, QWidget* parent = nullptr);

    void print();            // cmdStampa
    void alternativePrint(); // cmdStampaPrinter
    void saveCopy();         // cmdSalva
    void send();             // cmdSend

private:
    void showState(const PrintRegistration::DeliveryState& state);
    void showHistory();

    Context& m_ctx;
    PrintRegistration m_registration;
    PrintRegistration::DeliveryState m_state;
    QPushButton* m_send;
    QPushButton* m_save;
    QLabel* m_exit;
    QTreeWidget* m_history;
};

} // namespace vx
