#pragma once
// The backup screen: a backup of the database into a zip archive, and the restore of one. The
// shared connection stays closed while the screen is open.
// The old program's form: frmBackup.

#include "backup/DatabaseBackup.h"
#include "core/Context.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace vx {

class BackupScreen : public QDialog {
    Q_OBJECT
public:
    explicit BackupScreen(Context& context, QWidget* parent = nullptr);

    void chooseBackup();  // cmdSfogliaBak
    void makeBackup();    // cmdConfermaBak
    void chooseArchive(); // cmdSfogliaZip
    void restore();       // cmdConfermaZip

    void done(int result) override;

private:
    void setBusy(bool busy);
    void tabChanged(int index);

    Context& m_ctx;
    DatabaseBackup m_backup;
    QTabWidget* m_tabs;
    QLineEdit* m_backupFile;
    QLineEdit* m_zipFile;
    QRadioButton* m_replace;
    QRadioButton* m_keep;
    QPushButton* m_confirmBackup;
    QPushButton* m_confirmRestore;
    QPushButton* m_exit;
    bool m_closed = false;
};

} // namespace vx
