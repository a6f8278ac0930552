#pragma once
// The upload screen: the sender's e-mail address, the send and the exit. The send runs the whole
// upload (check of the address, version check, file, transfer, record) and closes the screen once
// the region confirmed the file.
//
// While it runs, "Invia" and "Esci" are off, so that nothing can start a second upload, and
// "Interrompi", Escape or the close box stop the call in progress rather than the screen.
// The old program's form: frmUpload.

#include "core/Context.h"
#include "transmission/RequestDelivery.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vx {

class UploadScreen : public QDialog {
    Q_OBJECT
public:
    UploadScreen(Context& context, RequestDelivery& delivery, QWidget* parent = nullptr);

    void send(); // cmdInvia
    bool sent() const { return m_sent; }
    void reject() override;

private:
    void setRunning(bool running);

    Context& m_ctx;
    RequestDelivery& m_delivery;
    QLineEdit* m_email;
    QLabel* m_progress;
    QPushButton* m_send;
    QPushButton* m_stop;
    QPushButton* m_exit;
    bool m_running = false;
    bool m_sent = false;
};

} // namespace vx
