#pragma once
// The window shown while a new Request number is asked of the regional server. It runs the
// request by itself once shown, and closes.
//
// While the request runs it is the window in front, so it carries the means to stop the call:
// "Interrompi", and Escape or the close box, which stop the call rather than the window (the
// window closes once the request has ended).
// The old program's form: FrmnReg.

#include <QDialog>

#include <functional>

class QLabel;

namespace vx {

class RequestNumberWindow : public QDialog {
    Q_OBJECT
public:
    // `interrupt` stops the call in progress.
    RequestNumberWindow(std::function<qint32()> request, QWidget* parent = nullptr,
                        std::function<void()> interrupt = {});

    qint32 number() const { return m_number; }
    void showProgress(const QString& text);
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<qint32()> m_request;
    std::function<void()> m_interrupt;
    qint32 m_number = 0;
    bool m_started = false;
    bool m_running = false;
    QLabel* m_progress;
};

} // namespace vx
