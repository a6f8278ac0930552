#pragma once
// The alternative identification: the user opens the login page in a browser where the digital
// certificate is installed and pastes back the answer it shows.
// The old program's form: frmMailAggNembo2.

#include "core/Context.h"

#include <QDialog>
#include <QUrl>

class QLineEdit;
class QPlainTextEdit;

namespace vx {

class AlternativeIdentityScreen : public QDialog {
    Q_OBJECT
public:
    AlternativeIdentityScreen(Context& context, const QUrl& loginPage, QWidget* parent = nullptr);

    // The pasted answer once confirmed; empty when the screen was closed without confirming.
    QString answer() const { return m_answer; }
    void confirm(); // imgConferma

private:
    Context& m_ctx;
    QUrl m_loginPage;
    QPlainTextEdit* m_response;
    QString m_answer;
};

} // namespace vx
