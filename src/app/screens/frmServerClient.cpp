#include "app/screens/frmServerClient.h"
#include "core/Settings.h"

#include "app/Installation.h"
#include "core/AppControl.h"
#include "core/AppState.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vx {

frmServerClient::frmServerClient(Context& context, IniFile& ini, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_ini(ini)
{
    setObjectName(QStringLiteral("frmServerClient"));
    setWindowTitle(QStringLiteral("Versione dell'applicativo"));
    m_ctx.state.version.clear();

    auto* group = new QGroupBox(QStringLiteral("Versione"), this);
    m_server = new QRadioButton(QStringLiteral("SERVER"), group);
    m_server->setObjectName(QStringLiteral("optServer"));
    m_client = new QRadioButton(QStringLiteral("CLIENT"), group);
    m_client->setObjectName(QStringLiteral("optClient"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_server);
    groupLayout->addWidget(m_client);

    auto* note = new QLabel(QStringLiteral("SERVER: la postazione che aggiorna la base dati e ne conserva le copie.\n"
                                           "CLIENT: una postazione che usa la base dati di un SERVER."),
                            this);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Annulla"), this);
    cancel->setObjectName(QStringLiteral("cmdAnnulla"));
    connect(ok, &QPushButton::clicked, this, &frmServerClient::confirm);
    connect(cancel, &QPushButton::clicked, this, &frmServerClient::abandon);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Scegliere la versione dell'applicativo:"), this));
    layout->addWidget(group);
    layout->addWidget(note);
    layout->addLayout(buttons);
}

void frmServerClient::confirm()
{
    const QString choice = m_server->isChecked()   ? Settings::kServer
                           : m_client->isChecked() ? Settings::kClient
                                                   : QString();
    if (installation::chooseVersion(m_ctx.prompter, m_ini, m_ctx.state.programFolder, choice, m_ctx.state.version))
        accept();
}

void frmServerClient::abandon()
{
    reject();
}

void frmServerClient::reject()
{
    if (m_ctx.control.ended() || installation::confirmAbort(m_ctx.prompter, m_ctx.control))
        QDialog::reject();
}

} // namespace vx
