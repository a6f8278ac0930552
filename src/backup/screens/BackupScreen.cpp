#include "backup/screens/BackupScreen.h"

#include "backup/Messages.h"
#include "core/AppControl.h"
#include "core/Messages.h"
#include "core/Prompter.h"
#include "ui/NamedButton.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace vx {

namespace {
QWidget* browseRow(QWidget* parent, QLineEdit* field, const char* buttonName, const QString& what, QPushButton** button)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field, 1);
    *button = namedButton(row, buttonName, msg::core::text(msg::core::Text::BrowseCaption));
    (*button)->setToolTip(what);
    (*button)->setAccessibleName(what);
    layout->addWidget(*button);
    return row;
}
} // namespace

BackupScreen::BackupScreen(Context& context, QWidget* parent) : QDialog(parent), m_ctx(context), m_backup(context)
{
    m_backup.setAskFirst(true);
    setObjectName(QStringLiteral("frmBackup"));
    setWindowTitle(msg::backup::text(msg::backup::Text::Title));
    m_backup.releaseDatabase();

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));

    auto* backupTab = new QWidget(m_tabs);
    m_backupFile = new QLineEdit(backupTab);
    m_backupFile->setObjectName(QStringLiteral("txtFileBak"));
    m_backupFile->setAccessibleName(msg::backup::text(msg::backup::Text::BackupFileName));
    QPushButton* browseBackup = nullptr;
    auto* backupForm = new QFormLayout;
    backupForm->addRow(msg::backup::text(msg::backup::Text::BackupFileLabel),
                       browseRow(backupTab, m_backupFile, "cmdSfogliaBak",
                                 msg::backup::text(msg::backup::Text::ChooseBackupArchive), &browseBackup));
    m_confirmBackup =
        namedButton(backupTab, "cmdConfermaBak", msg::backup::text(msg::backup::Text::BackupConfirmCaption));
    auto* backupLayout = new QVBoxLayout(backupTab);
    backupLayout->addLayout(backupForm);
    backupLayout->addStretch();
    backupLayout->addWidget(m_confirmBackup, 0, Qt::AlignRight);
    m_tabs->addTab(backupTab, msg::backup::text(msg::backup::Text::BackupTab));

    auto* restoreTab = new QWidget(m_tabs);
    m_zipFile = new QLineEdit(restoreTab);
    m_zipFile->setObjectName(QStringLiteral("txtFileZip"));
    m_zipFile->setAccessibleName(msg::backup::text(msg::backup::Text::RestoreFileName));
    QPushButton* browseZip = nullptr;
    auto* restoreForm = new QFormLayout;
    restoreForm->addRow(msg::backup::text(msg::backup::Text::RestoreFileLabel),
                        browseRow(restoreTab, m_zipFile, "cmdSfogliaZip",
                                  msg::backup::text(msg::backup::Text::ChooseRestoreArchive), &browseZip));
    m_replace = new QRadioButton(msg::backup::text(msg::backup::Text::ReplaceOption), restoreTab);
    m_replace->setObjectName(QStringLiteral("optSost"));
    m_keep = new QRadioButton(msg::backup::keepCopyOption(DatabaseBackup::kKeptFolder), restoreTab);
    m_keep->setObjectName(QStringLiteral("optAll"));
    // A copy of what is replaced unless the user says otherwise.
    m_keep->setChecked(true);
    m_confirmRestore =
        namedButton(restoreTab, "cmdConfermaZip", msg::backup::text(msg::backup::Text::RestoreConfirmCaption));
    auto* restoreLayout = new QVBoxLayout(restoreTab);
    restoreLayout->addLayout(restoreForm);
    restoreLayout->addWidget(m_replace);
    restoreLayout->addWidget(m_keep);
    restoreLayout->addStretch();
    restoreLayout->addWidget(m_confirmRestore, 0, Qt::AlignRight);
    m_tabs->addTab(restoreTab, msg::backup::text(msg::backup::Text::RestoreTab));

    m_exit = namedButton(this, "cmdEsci", msg::core::text(msg::core::Text::ExitCaption));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_exit, 0, Qt::AlignRight);
    resize(620, 260);

    const QString last = m_backup.lastArchive();
    m_backupFile->setText(last);
    m_zipFile->setText(last);

    connect(browseBackup, &QPushButton::clicked, this, &BackupScreen::chooseBackup);
    connect(m_confirmBackup, &QPushButton::clicked, this, &BackupScreen::makeBackup);
    connect(browseZip, &QPushButton::clicked, this, &BackupScreen::chooseArchive);
    connect(m_confirmRestore, &QPushButton::clicked, this, &BackupScreen::restore);
    connect(m_exit, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_tabs, &QTabWidget::currentChanged, this, &BackupScreen::tabChanged);
}

void BackupScreen::tabChanged(int index)
{
    if (index == 1)
        m_zipFile->setText(QFileInfo(m_backupFile->text()).isFile() ? m_backupFile->text() : QString());
}

void BackupScreen::chooseBackup()
{
    const QString chosen = m_ctx.prompter.chooseSaveFile(m_backup.saveChoice(m_backupFile->text()));
    if (!chosen.isEmpty())
        m_backupFile->setText(chosen);
}

void BackupScreen::chooseArchive()
{
    const QString chosen = m_ctx.prompter.chooseOpenFile(m_backup.openChoice(m_backupFile->text()));
    if (!chosen.isEmpty())
        m_zipFile->setText(chosen);
}

void BackupScreen::setBusy(bool busy)
{
    m_confirmBackup->setEnabled(!busy);
    m_confirmRestore->setEnabled(!busy);
    m_exit->setEnabled(!busy);
}

void BackupScreen::makeBackup()
{
    setBusy(true);
    const DatabaseBackup::Outcome outcome = m_backup.backup(m_backupFile->text());
    setBusy(false);
    if (outcome == DatabaseBackup::Outcome::ChooseFile)
        chooseBackup();
    else if (outcome == DatabaseBackup::Outcome::Done)
        m_backupFile->setText(m_backup.lastArchive());
}

void BackupScreen::restore()
{
    setBusy(true);
    const DatabaseBackup::Outcome outcome = m_backup.restore(m_zipFile->text(), m_keep->isChecked());
    setBusy(false);
    if (outcome == DatabaseBackup::Outcome::ChooseFile)
        chooseArchive();
}

void BackupScreen::done(int result)
{
    // The close box and Escape too: the connection is reopened whichever way the screen closes.
    if (!m_closed) {
        m_closed = true;
        m_backup.reopenDatabase();
    }
    QDialog::done(result);
}

} // namespace vx
