#include "app/screens/ServerClientChoiceScreen.h"
#include "core/Messages.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "app/Messages.h"
#include "core/AppControl.h"
#include "core/AppState.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vx {

ServerClientChoiceScreen::ServerClientChoiceScreen(Context& context, IniFile& ini, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_ini(ini)
{
    setObjectName(QStringLiteral("frmServerClient"));
    setWindowTitle(msg::app::text(msg::app::Text::VersionScreenCaption));
    m_ctx.state.version.clear();

    auto* group = new QGroupBox(msg::app::text(msg::app::Text::VersionFrame), this);
    m_server = new QRadioButton(Settings::kServer, group);
    m_server->setObjectName(QStringLiteral("optServer"));
    m_client = new QRadioButton(Settings::kClient, group);
    m_client->setObjectName(QStringLiteral("optClient"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_server);
    groupLayout->addWidget(m_client);

    auto* note = new QLabel(msg::app::text(msg::app::Text::VersionNote), this);
    auto* ok = new QPushButton(msg::core::text(msg::core::Text::OkCaption), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(msg::core::text(msg::core::Text::CancelCaption), this);
    cancel->setObjectName(QStringLiteral("cmdAnnulla"));
    connect(ok, &QPushButton::clicked, this, &ServerClientChoiceScreen::confirm);
    connect(cancel, &QPushButton::clicked, this, &ServerClientChoiceScreen::abandon);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(msg::app::text(msg::app::Text::VersionQuestion), this));
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addLayout(buttons);
}

void ServerClientChoiceScreen::confirm()
{
    const QString choice = m_server->isChecked()   ? Settings::kServer
                           : m_client->isChecked() ? Settings::kClient
                                                   : QString();
    if (app::chooseVersion(m_ctx.prompter, m_ini, m_ctx.state.programFolder, choice, m_ctx.state.version))
        accept();
}

void ServerClientChoiceScreen::abandon()
{
    reject();
}

void ServerClientChoiceScreen::reject()
{
    if (m_ctx.control.ended() || app::confirmAbort(m_ctx.prompter, m_ctx.control))
        QDialog::reject();
}

} // namespace vx
