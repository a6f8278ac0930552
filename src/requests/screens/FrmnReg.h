#pragma once
// The window shown while a new Request number is asked of the regional server. It runs the
// request by itself once shown, and closes.

#include <QDialog>

#include <functional>

class QLabel;

namespace vx {

class FrmnReg : public QDialog {
    Q_OBJECT
public:
    FrmnReg(std::function<qint32()> request, QWidget* parent = nullptr);

    qint32 number() const { return m_number; }
    void showProgress(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<qint32()> m_request;
    qint32 m_number = 0;
    bool m_started = false;
    QLabel* m_progress;
};

} // namespace vx
