#pragma once
// The operator list screen of the database update: the operators whose registry is to be
// downloaded from the region, at most 150, prefilled with those the database holds. Confirm runs
// the download and, when it delivered its files, the confirmation screen, whose answer decides
// whether the update goes on.
//
// While the download runs the screen is the window in front, so Escape and the close box stop the
// call rather than the screen.
// The old program's form: frmOperatori (and frmConferma).

#include "core/Context.h"
#include "refdata/RegistryDownload.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vx {

class Exchange;

class OperatorListScreen : public QDialog {
    Q_OBJECT
public:
    // `exchange` carries the download; the list starts from the operators of the database.
    OperatorListScreen(Context& context, Exchange& exchange, QWidget* parent = nullptr);

    void setCaption(const QString& text);
    // The commands.
    void insert();      // cmdInserisci, and Enter in the code field
    void removeEntry(); // cmdElimina
    void confirm();     // cmdConferma: the download, then the confirmation screen
    void cancel();      // cmdAnnulla
    void pick(int row); // a click on the list

    const refdata::OperatorList& list() const { return m_list; }
    // Once closed: whether the download was confirmed and the update goes on.
    bool goOn() const { return m_goOn; }
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showList();
    void setRunning(bool running);

    Context& m_ctx;
    Exchange& m_exchange;
    refdata::OperatorList m_list;
    QLabel* m_caption;
    QLineEdit* m_group;
    QLineEdit* m_code;
    QListWidget* m_entries;
    QPushButton* m_confirm;
    QPushButton* m_cancel;
    QLabel* m_progress;
    bool m_running = false;
    bool m_goOn = false;
};

// The confirmation screen: the operators the download delivered; OK goes on with the update.
class DownloadConfirmationScreen : public QDialog {
    Q_OBJECT
public:
    DownloadConfirmationScreen(const QStringList& operators, QWidget* parent = nullptr);
};

} // namespace vx
