#pragma once
// "Richiesta Assistenza": packs a copy of the database for the assistance service and opens its
// page, already filled in, in the system's browser. Shown beside the main screen, not modal.
// The old program's form: Browser.

#include "assist/AssistanceRequest.h"
#include "core/Context.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace vx {

class AssistanceRequestScreen : public QDialog {
    Q_OBJECT
public:
    explicit AssistanceRequestScreen(Context& context, QWidget* parent = nullptr);

    void access(); // Command2, "Accedi"

private:
    Context& m_ctx;
    AssistanceRequest m_request;
    QLabel* m_status;
    QPushButton* m_access;
    QPushButton* m_exit;
};

} // namespace vx
