#include "app/screens/OptionsScreen.h"

#include "app/Messages.h"
#include "app/screens/ServerFields.h"
#include "core/Messages.h"

#include "assist/EmailCheck.h"
#include "core/AppState.h"
#include "core/Prompter.h"
#include "ui/ScreenFit.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vx {

namespace {
template <typename W> W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
// The characters of a long path (a database on a share, a certificate in a user's folder).
constexpr int kPathCharacters = 60;
} // namespace

OptionsScreen::OptionsScreen(Context& context, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_editor(context.state, context.db, context.prompter, context.control)
{
    setObjectName(QStringLiteral("frmOpzioni"));
    setWindowTitle(msg::app::text(msg::app::Text::OptionsCaption));

    auto* install = named(new QGroupBox(msg::app::text(msg::app::Text::InstallationCaption), this), "fInstallazione");
    m_local = named(new QRadioButton(msg::app::text(msg::app::Text::LocalOption), install), "optLocale");
    m_multi = named(new QRadioButton(msg::app::text(msg::app::Text::MultiutenzaOption), install), "optMultiutenza");
    auto* types = new QButtonGroup(this);
    types->addButton(m_local);
    types->addButton(m_multi);
    m_inFile = named(new QRadioButton(msg::app::text(msg::app::Text::FileEngineOption), install), "optFile");
    m_onServer = named(new QRadioButton(msg::app::text(msg::app::Text::ServerOption), install), "optServer");
    auto* engines = new QButtonGroup(this);
    engines->addButton(m_inFile);
    engines->addButton(m_onServer);
    m_fileFields = new QWidget(install);
    m_database = named(new QLineEdit(m_fileFields), "txtDatabase");
    auto* browseButton =
        named(new QPushButton(msg::app::text(msg::app::Text::BrowseCaption), m_fileFields), "cmdSfoglia");
    auto* fileGrid = new QGridLayout(m_fileFields);
    fileGrid->setContentsMargins(0, 0, 0, 0);
    auto* databaseLabel = new QLabel(msg::app::text(msg::app::Text::DatabaseLabel), m_fileFields);
    databaseLabel->setBuddy(m_database);
    fileGrid->addWidget(databaseLabel, 0, 0);
    fileGrid->addWidget(m_database, 1, 0);
    fileGrid->addWidget(browseButton, 1, 1);
    fileGrid->setColumnStretch(0, 1);
    m_serverFields = new ServerFields(m_ctx.prompter, install);
    auto* moveButton =
        named(new QPushButton(msg::app::text(msg::app::Text::MoveDatabaseCaption), install), "cmdTrasferisci");
    auto* installGrid = new QGridLayout(install);
    installGrid->addWidget(m_local, 0, 0);
    installGrid->addWidget(m_multi, 0, 1);
    installGrid->addWidget(m_inFile, 1, 0);
    installGrid->addWidget(m_onServer, 1, 1);
    installGrid->addWidget(m_fileFields, 2, 0, 1, 3);
    installGrid->addWidget(m_serverFields, 3, 0, 1, 3);
    installGrid->addWidget(moveButton, 4, 2);

    auto* net = named(new QGroupBox(msg::app::text(msg::app::Text::NetworkFrame), this), "fRete");
    m_email = named(new QLineEdit(net), "txtEMail");
    m_email->setMaxLength(255);
    m_serverFirst = named(new QRadioButton(msg::app::text(msg::app::Text::FirstMailServer), net), "optServKVR");
    m_serverFirst->setToolTip(m_editor.firstHost());
    m_serverSecond = named(new QRadioButton(msg::app::text(msg::app::Text::SecondMailServer), net), "optServKVRINT");
    m_serverSecond->setToolTip(m_editor.secondHost());
    m_serverOwn = named(new QRadioButton(msg::app::text(msg::app::Text::OwnMailServer), net), "optMioServ");
    m_ownServer = named(new QLineEdit(net), "txtMioServ");
    m_certificate = named(new QLineEdit(net), "txtCertificato");
    m_certificate->setToolTip(msg::app::text(msg::app::Text::CertificateTooltip));
    auto* browseCertificate =
        named(new QPushButton(msg::app::text(msg::app::Text::BrowseCaption), net), "cmdSfogliaCert");
    auto* servers = new QButtonGroup(this);
    for (QRadioButton* b : {m_serverFirst, m_serverSecond, m_serverOwn})
        servers->addButton(b);
    auto* netGrid = new QGridLayout(net);
    auto* emailLabel = new QLabel(msg::app::text(msg::app::Text::EmailLabel), net);
    emailLabel->setBuddy(m_email);
    netGrid->addWidget(emailLabel, 0, 0);
    netGrid->addWidget(m_email, 0, 1);
    netGrid->addWidget(m_serverFirst, 1, 0, 1, 2);
    netGrid->addWidget(m_serverSecond, 2, 0, 1, 2);
    netGrid->addWidget(m_serverOwn, 3, 0);
    netGrid->addWidget(m_ownServer, 3, 1);
    auto* certificateLabel = new QLabel(msg::app::text(msg::app::Text::CertificateLabel), net);
    certificateLabel->setBuddy(m_certificate);
    netGrid->addWidget(certificateLabel, 4, 0);
    // The own server's address sits beside its choice, with no label of its own.
    m_ownServer->setAccessibleName(QString(msg::app::text(msg::app::Text::OwnMailServer)).remove(QLatin1Char('&')));
    netGrid->addWidget(m_certificate, 4, 1);
    netGrid->addWidget(browseCertificate, 4, 2);

    m_lastUpdate = named(new QLabel(this), "lblUltimoAgg");
    auto* look = new QGroupBox(msg::app::text(msg::app::Text::LookFrame), this);
    m_underline = named(new QCheckBox(msg::app::text(msg::app::Text::UnderlineOption), look), "ckSottolinea");
    m_bold = named(new QCheckBox(msg::app::text(msg::app::Text::BoldOption), look), "ckAumenta");
    m_colour = named(new QCheckBox(msg::app::text(msg::app::Text::ColourOption), look), "ckCambia");
    auto* lookRow = new QHBoxLayout(look);
    lookRow->addWidget(m_underline);
    lookRow->addWidget(m_bold);
    lookRow->addWidget(m_colour);

    auto* saveButton = named(new QPushButton(msg::core::text(msg::core::Text::SaveCaption), this), "cmdSalva");
    auto* cancelButton = named(new QPushButton(msg::core::text(msg::core::Text::CancelCaption), this), "cmdAnnulla");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancelButton);

    // A path or an address is read whole, from its start: the fields take a long path's width and
    // grow with the window, which the user may widen further (set before the window measures its
    // content).
    const int pathWidth = fontMetrics().horizontalAdvance(QString(kPathCharacters, QLatin1Char('x')));
    for (QLineEdit* field : {m_database, m_email, m_certificate})
        field->setMinimumWidth(pathWidth);

    // The settings scroll where the screen is too small for them whole; the commands stay in view.
    auto* content = new QWidget;
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addWidget(install);
    contentLayout->addWidget(net);
    contentLayout->addWidget(look);
    contentLayout->addWidget(m_lastUpdate);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scrollableContent(content, this), 1);
    layout->addLayout(buttons);

    installGrid->setColumnStretch(1, 1);
    netGrid->setColumnStretch(1, 1);
    setSizeGripEnabled(true);

    fill(m_editor.load());

    auto installChanged = [this] {
        if (!m_loading)
            m_installationChanged = m_modified = true;
    };
    auto changed = [this] {
        if (!m_loading)
            m_modified = true;
    };
    connect(m_local, &QRadioButton::toggled, this, installChanged);
    connect(m_multi, &QRadioButton::toggled, this, installChanged);
    connect(m_database, &QLineEdit::textChanged, this, installChanged);
    connect(m_onServer, &QRadioButton::toggled, this, installChanged);
    connect(m_serverFields, &ServerFields::changed, this, installChanged);
    connect(m_onServer, &QRadioButton::toggled, this, [this](bool onServer) {
        m_fileFields->setVisible(!onServer);
        m_serverFields->setVisible(onServer);
    });
    connect(moveButton, &QPushButton::clicked, this, &OptionsScreen::moveDatabase);
    connect(m_email, &QLineEdit::textChanged, this, changed);
    connect(m_ownServer, &QLineEdit::textChanged, this, changed);
    connect(m_certificate, &QLineEdit::textChanged, this, changed);
    connect(browseCertificate, &QPushButton::clicked, this, &OptionsScreen::browseCertificate);
    for (QRadioButton* b : {m_serverFirst, m_serverSecond, m_serverOwn})
        connect(b, &QRadioButton::toggled, this, changed);
    for (QCheckBox* c : {m_underline, m_bold, m_colour})
        connect(c, &QCheckBox::toggled, this, changed);
    connect(browseButton, &QPushButton::clicked, this, &OptionsScreen::browse);
    connect(saveButton, &QPushButton::clicked, this, &OptionsScreen::saveScreen);
    connect(cancelButton, &QPushButton::clicked, this, &OptionsScreen::reject);
    m_loading = false;
}

void OptionsScreen::fill(const OptionsValues& v)
{
    (v.multiutenza ? m_multi : m_local)->setChecked(true);
    m_database->setText(v.database);
    (v.onServer ? m_onServer : m_inFile)->setChecked(true);
    m_fileFields->setVisible(!v.onServer);
    m_serverFields->setVisible(v.onServer);
    m_serverFields->setTarget(v.databaseServer);
    m_email->setText(v.email);
    m_serverFirst->setChecked(v.server == OptionsValues::MailServer::First);
    m_serverSecond->setChecked(v.server == OptionsValues::MailServer::Second);
    m_serverOwn->setChecked(v.server == OptionsValues::MailServer::Own);
    m_ownServer->setText(v.ownServer);
    m_certificate->setText(v.certificate);
    for (QLineEdit* field : {m_database, m_email, m_certificate})
        field->setCursorPosition(0);
    m_lastUpdate->setText(msg::app::lastUpdateLabel(v.lastUpdate));
    m_underline->setChecked(v.look.underline);
    m_bold->setChecked(v.look.bold);
    m_colour->setChecked(v.look.changeColour);
}

OptionsValues OptionsScreen::values() const
{
    OptionsValues v;
    v.multiutenza = m_multi->isChecked();
    v.database = m_database->text();
    v.onServer = m_onServer->isChecked();
    v.databaseServer = m_serverFields->target();
    v.email = m_email->text();
    v.server = m_serverFirst->isChecked()    ? OptionsValues::MailServer::First
               : m_serverSecond->isChecked() ? OptionsValues::MailServer::Second
               : m_serverOwn->isChecked()    ? OptionsValues::MailServer::Own
                                             : OptionsValues::MailServer::None;
    v.ownServer = m_ownServer->text();
    v.certificate = m_certificate->text().trimmed();
    v.look = {m_underline->isChecked(), m_bold->isChecked(), m_colour->isChecked()};
    return v;
}

void OptionsScreen::browse()
{
    const QString path = m_ctx.prompter.chooseOpenFile(msg::app::databaseChoice(m_ctx.state.programFolder));
    if (!path.isEmpty())
        m_database->setText(path);
}

void OptionsScreen::browseCertificate()
{
    const QString path = m_ctx.prompter.chooseOpenFile(msg::app::certificateChoice(QDir::homePath()));
    if (!path.isEmpty())
        m_certificate->setText(path);
}

void OptionsScreen::finish(OptionsEditor::Outcome outcome)
{
    if (outcome == OptionsEditor::Outcome::StayOpen) {
        if (!emailFault(m_email->text()).isEmpty())
            m_email->setFocus();
        else if (m_serverOwn->isChecked())
            m_ownServer->setFocus();
        return;
    }
    m_modified = false;
    QDialog::accept();
}

void OptionsScreen::saveScreen()
{
    finish(m_editor.save(values(), m_installationChanged));
}

void OptionsScreen::moveDatabase()
{
    finish(m_editor.moveDatabase(values()));
}

void OptionsScreen::reject()
{
    finish(m_editor.cancel(values(), m_modified, m_installationChanged));
}

} // namespace vx
