#pragma once
// "Stampa Definitivo / Invio Richiesta": the definitive print through the print dialog, the
// alternative print that registers, and (from the transmission) the save and the send, enabled
// only once the Request is registered as printed, and the history of the Request's transmissions,
// newest first. While a save or a send talks to the region every command is off; "Interrompi"
// and Escape stop the call.
// The old program's form: Trasmis.

#include "core/Context.h"
#include "print/PrintRegistration.h"

#include <QDialog>
#include <QList>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;

namespace vx {

class Exchange;

class DeliveryScreen : public QDialog {
    Q_OBJECT
public:
    explicit DeliveryScreen(Context& context, QWidget* parent = nullptr);

    void print();            // cmdStampa
    void alternativePrint(); // cmdStampaPrinter
    void saveCopy();         // cmdSalva
    void send();             // cmdSend
    void reject() override;

private:
    void showState(const PrintRegistration::DeliveryState& state);
    void showHistory();
    // Runs `call`, which talks to the region through `exchange`, with the commands off.
    void exclusive(Exchange& exchange, const std::function<void()>& call);

    Context& m_ctx;
    PrintRegistration m_registration;
    PrintRegistration::DeliveryState m_state;
    QPushButton* m_send;
    QPushButton* m_save;
    QPushButton* m_exitButton = nullptr;
    QLabel* m_exit;
    QTableWidget* m_history;
    QPushButton* m_stop;
    QList<QPushButton*> m_commands;
    Exchange* m_exchange = nullptr;
    bool m_running = false;
};

} // namespace vx
