#include "app/screens/InstallationSetupScreen.h"
#include "core/Help.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "app/Messages.h"
#include "app/screens/ServerClientChoiceScreen.h"
#include "app/screens/ServerFields.h"
#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Desktop.h"
#include "core/IniFile.h"
#include "core/Messages.h"
#include "core/Prompter.h"
#include "core/UserSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace vx {

InstallationSetupScreen::InstallationSetupScreen(Context& context, IniFile& ini, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_ini(ini)
{
    setObjectName(QStringLiteral("Frm_Impostazioni"));
    setWindowTitle(msg::app::text(msg::app::Text::InstallationScreenCaption));

    auto* mode = new QGroupBox(msg::app::text(msg::app::Text::DatabaseFrame), this);
    m_local = new QRadioButton(msg::app::text(msg::app::Text::LocalOption), mode);
    m_local->setObjectName(QStringLiteral("opt_Locale"));
    m_local->setChecked(true);
    m_shared = new QRadioButton(msg::app::text(msg::app::Text::SharedOption), mode);
    m_shared->setObjectName(QStringLiteral("opt_InRete"));
    m_server = new QRadioButton(msg::app::text(msg::app::Text::ServerOption), mode);
    m_server->setObjectName(QStringLiteral("opt_Server"));
    m_fileFields = new QWidget(mode);
    m_database = new QLineEdit(m_fileFields);
    m_database->setObjectName(QStringLiteral("txtDatabase"));
    m_database->setReadOnly(true);
    auto* browseButton = new QPushButton(msg::app::text(msg::app::Text::BrowseCaption), m_fileFields);
    browseButton->setObjectName(QStringLiteral("cmdSfoglia"));
    auto* fileGrid = new QGridLayout(m_fileFields);
    fileGrid->setContentsMargins(0, 0, 0, 0);
    auto* databaseLabel = new QLabel(msg::app::text(msg::app::Text::DatabasePathLabel), m_fileFields);
    databaseLabel->setBuddy(m_database);
    fileGrid->addWidget(databaseLabel, 0, 0, 1, 2);
    fileGrid->addWidget(m_database, 1, 0);
    fileGrid->addWidget(browseButton, 1, 1);
    m_serverFields = new ServerFields(m_ctx.prompter, mode);
    m_serverFields->setVisible(false);
    auto* grid = new QGridLayout(mode);
    grid->addWidget(m_local, 0, 0);
    grid->addWidget(m_shared, 0, 1);
    grid->addWidget(m_server, 0, 2);
    grid->addWidget(m_fileFields, 1, 0, 1, 3);
    grid->addWidget(m_serverFields, 2, 0, 1, 3);
    // A database on a server is shared by the workstations: its fields replace the file's.
    connect(m_server, &QRadioButton::toggled, this, [this](bool onServer) {
        m_fileFields->setVisible(!onServer);
        m_serverFields->setVisible(onServer);
        adjustSize();
    });

    auto* saveButton = new QPushButton(msg::core::text(msg::core::Text::SaveCaption), this);
    saveButton->setObjectName(QStringLiteral("Cmd_Ok"));
    auto* quitButton = new QPushButton(msg::core::text(msg::core::Text::ExitCaption), this);
    quitButton->setObjectName(QStringLiteral("cmdEsci"));
    auto* helpButton = new QPushButton(msg::app::text(msg::app::Text::HelpCaption), this);
    helpButton->setObjectName(QStringLiteral("cmdHelp"));
    connect(browseButton, &QPushButton::clicked, this, &InstallationSetupScreen::browse);
    connect(saveButton, &QPushButton::clicked, this, &InstallationSetupScreen::save);
    connect(quitButton, &QPushButton::clicked, this, &InstallationSetupScreen::quit);
    connect(helpButton, &QPushButton::clicked, this, &InstallationSetupScreen::help);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(helpButton);
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(quitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(mode);
    layout->addLayout(buttons);
    resize(520, 200);

    // The database the installation already has is proposed: the one its INI names, or the one a
    // new installation keeps beside the program (the package lays it out there).
    const QString named = Settings::read(m_ini).database;
    const QString beside = QDir(m_ctx.state.programFolder).filePath(app::kDatabaseName);
    if (!named.trimmed().isEmpty() && QFileInfo(named).isFile())
        setChosenPath(named);
    else if (QFileInfo(beside).isFile())
        setChosenPath(QDir::cleanPath(beside));

    m_helpFile = Settings::read(m_ini).helpPath(m_ctx.state.programFolder);
    if (m_helpFile.isEmpty()) {
        m_ctx.prompter.ask(msg::core::helpFileNotConfigured());
    }
}

void InstallationSetupScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_versionAsked)
        return;
    m_versionAsked = true;
    m_ctx.state.version = Settings::read(m_ini).version;
    if (!m_ctx.state.version.isEmpty())
        return;
    // The version is chosen first, once this screen is up.
    QTimer::singleShot(0, this, [this] {
        ServerClientChoiceScreen versionScreen(m_ctx, m_ini, this);
        versionScreen.exec();
        if (m_ctx.control.ended())
            reject();
    });
}

void InstallationSetupScreen::setChosenPath(const QString& path)
{
    m_chosenPath = path;
    m_database->setText(app::shortenedPath(path));
    m_database->setToolTip(path);
}

void InstallationSetupScreen::browse()
{
    const QString path = m_ctx.prompter.chooseOpenFile(msg::app::databaseChoice(m_ctx.state.programFolder));
    if (!path.isEmpty())
        setChosenPath(path);
}

void InstallationSetupScreen::save()
{
    if (m_server->isChecked()) {
        const DatabaseTarget target = m_serverFields->target();
        if (!app::checkServerChoice(m_ctx.prompter, target))
            return;
        m_ctx.state.installationType = Settings::kMultiutenza;
        Settings::writeServer(m_ini, target.host, target.port, target.name, target.tlsMode, target.caFile);
        UserSettings().setDatabaseUser(target.user);
        m_ctx.state.databasePath.clear();
        m_ctx.state.databaseFileName.clear();
        accept();
        return;
    }
    m_ctx.state.installationType = m_local->isChecked() ? Settings::kStandAlone : Settings::kMultiutenza;
    Settings::writeProvider(m_ini, Settings::kProvider);
    if (!app::checkDatabaseChoice(m_ctx.prompter, m_chosenPath))
        return;
    m_ctx.state.databasePath = m_chosenPath;
    m_ctx.state.databaseFileName = QFileInfo(m_chosenPath).fileName();
    accept();
}

void InstallationSetupScreen::quit()
{
    reject();
}

void InstallationSetupScreen::help()
{
    showHelp(m_ctx, m_helpFile);
}

void InstallationSetupScreen::reject()
{
    if (m_ctx.control.ended() || app::confirmAbort(m_ctx.prompter, m_ctx.control))
        QDialog::reject();
}

} // namespace vx
