#pragma once
// The upload screen: the sender's e-mail address, the send and the exit. The send runs the whole
// upload (check of the address, version check, file, transfer, record) and closes the screen once
// the region confirmed the file.

#include "core/Context.h"
#include "transmission/RequestDelivery.h"

#include <QDialog>

class QLabel;
class QLineEdit;

namespace vx {

class frmUpload : public QDialog {
    Q_OBJECT
public:
    static inline const QString kEmailPrompt = QStringLiteral("Indirizzo E-Mail...");

    frmUpload(Context& context, RequestDelivery& delivery, QWidget* parent = nullptr);

    void send(); // cmdInvia
    bool sent() const { return m_sent; }

private:
    Context& m_ctx;
    RequestDelivery& m_delivery;
    QLineEdit* m_email;
    QLabel* m_progress;
    bool m_sent = false;
};

} // namespace vx
