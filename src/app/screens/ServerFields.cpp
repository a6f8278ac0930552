#include "app/screens/ServerFields.h"

#include "app/Installation.h"
#include "app/Messages.h"
#include "core/Prompter.h"
#include "core/Settings.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace vx {

ServerFields::ServerFields(Prompter& prompter, QWidget* parent) : QWidget(parent), m_prompter(prompter)
{
    setObjectName(QStringLiteral("fServer"));
    m_host = new QLineEdit(this);
    m_host->setObjectName(QStringLiteral("txtServer"));
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("txtPorta"));
    m_port->setRange(1, 65535);
    m_port->setValue(Settings::kDefaultServerPort);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("txtNomeBaseDati"));
    m_tls = new QComboBox(this);
    m_tls->setObjectName(QStringLiteral("cmbModoTLS"));
    for (const QString& mode : app::tlsModes())
        m_tls->addItem(msg::app::tlsModeCaption(mode), mode);
    m_ca = new QLineEdit(this);
    m_ca->setObjectName(QStringLiteral("txtCertificatoCA"));
    auto* browse = new QPushButton(msg::app::text(msg::app::Text::BrowseCaption), this);
    browse->setObjectName(QStringLiteral("cmdSfogliaCA"));
    m_user = new QLineEdit(this);
    m_user->setObjectName(QStringLiteral("txtUtente"));
    m_user->setPlaceholderText(msg::app::text(msg::app::Text::ServerUserPlaceholder));

    auto* caRow = new QHBoxLayout;
    caRow->setContentsMargins(0, 0, 0, 0);
    caRow->addWidget(m_ca, 1);
    caRow->addWidget(browse);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(msg::app::text(msg::app::Text::ServerHostLabel), m_host);
    form->addRow(msg::app::text(msg::app::Text::ServerPortLabel), m_port);
    form->addRow(msg::app::text(msg::app::Text::DatabaseLabel), m_name);
    form->addRow(msg::app::text(msg::app::Text::ServerTlsLabel), m_tls);
    form->addRow(msg::app::text(msg::app::Text::ServerCaLabel), caRow);
    // The label names the row that holds the field and its button: the field is named after it.
    if (auto* caLabel = qobject_cast<QLabel*>(form->labelForField(caRow)))
        caLabel->setBuddy(m_ca);
    form->addRow(msg::app::text(msg::app::Text::ServerUserLabel), m_user);

    connect(browse, &QPushButton::clicked, this, &ServerFields::browseAuthority);
    for (QLineEdit* field : {m_host, m_name, m_ca, m_user})
        connect(field, &QLineEdit::textChanged, this, &ServerFields::changed);
    connect(m_port, &QSpinBox::valueChanged, this, &ServerFields::changed);
    connect(m_tls, &QComboBox::currentIndexChanged, this, &ServerFields::changed);
}

DatabaseTarget ServerFields::target() const
{
    DatabaseTarget t;
    t.driver = Settings::kServerProvider;
    t.host = m_host->text().trimmed();
    t.port = m_port->value();
    t.name = m_name->text().trimmed();
    t.tlsMode = m_tls->currentData().toString();
    t.caFile = m_ca->text().trimmed();
    t.user = m_user->text().trimmed();
    return t;
}

void ServerFields::setTarget(const DatabaseTarget& t)
{
    m_host->setText(t.host);
    m_port->setValue(t.port);
    m_name->setText(t.name);
    const int mode = m_tls->findData(t.tlsMode);
    m_tls->setCurrentIndex(mode < 0 ? 0 : mode);
    m_ca->setText(t.caFile);
    m_user->setText(t.user);
}

void ServerFields::browseAuthority()
{
    const QString path = m_prompter.chooseOpenFile(msg::app::serverCaChoice(QDir::homePath()));
    if (!path.isEmpty())
        m_ca->setText(path);
}

} // namespace vx
