#pragma once
// The print progress form: the run starts when the form is shown and the form closes itself
// at its end. Its cancel button stops the run; nothing half-made is left.
// The old program's form: ViewStam.

#include "core/Context.h"

#include <QDialog>

class QLabel;

namespace vx {

class PrintSession;

class PrintProgressWindow : public QDialog {
    Q_OBJECT
public:
    PrintProgressWindow(Context& context, PrintSession& session, QWidget* parent = nullptr);

    // The run wrote its PDF whole.
    bool written() const { return m_written; }
    void stop() { m_stopped = true; } // cmAnnStamp

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override { stop(); }

private:
    void run();

    Context& m_ctx;
    PrintSession& m_session;
    QLabel* m_page;
    QLabel* m_pageCaption;
    bool m_started = false;
    bool m_stopped = false;
    bool m_written = false;
};

} // namespace vx
