#include "roles/screens/PersonCardScreen.h"

#include "core/Messages.h"
#include "roles/Messages.h"
#include "ui/KeyFilters.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vx {

namespace {
// The operator entries hold their group as item data, and their code under this role.
constexpr int kCodeRole = Qt::UserRole + 1;

QLineEdit* field(QWidget* parent, const char* name, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(width);
    return edit;
}
} // namespace

PersonCardScreen::PersonCardScreen(Context& context, RoleKey& selection, QWidget* parent)
    : QDialog(parent), m_ctx(context), m_card(context, selection)
{
    setObjectName(QStringLiteral("FrmPartner"));
    setWindowTitle(msg::roles::text(msg::roles::Text::CardTitle));

    m_codFiscale = field(this, "txtCodFiscale", 16);
    m_cognome = field(this, "txtCognome", 50);
    m_nome = field(this, "txtNome", 50);
    m_gg = field(this, "txtGG", 2);
    m_mm = field(this, "txtMM", 2);
    m_aaaa = field(this, "txtAAAA", 4);
    m_email = field(this, "txtEmail", 80);
    m_telefono = field(this, "txtTelefono", 20);
    for (QLineEdit* e : {m_codFiscale, m_cognome, m_nome})
        installUpperCase(e, m_ctx.prompter);
    installDatePart(m_gg, m_ctx.prompter, m_mm);
    installDatePart(m_mm, m_ctx.prompter, m_aaaa);
    for (QLineEdit* e : {m_aaaa, m_telefono})
        installInteger(e, m_ctx.prompter);
    // The date is three fields behind one label: each says which part it is.
    m_gg->setAccessibleName(msg::roles::birthPart(0));
    m_mm->setAccessibleName(msg::roles::birthPart(1));
    m_aaaa->setAccessibleName(msg::roles::birthPart(2));
    for (QLineEdit* e : {m_codFiscale, m_cognome, m_nome, m_email})
        replaceSharp(e);
    for (QLineEdit* e : {m_gg, m_mm})
        e->setFixedWidth(40);
    m_aaaa->setFixedWidth(60);

    m_operator = new QComboBox(this);
    m_operator->setObjectName(QStringLiteral("cmbOpe"));
    m_site = new QComboBox(this);
    m_site->setObjectName(QStringLiteral("cmbCompo"));
    m_role = new QComboBox(this);
    m_role->setObjectName(QStringLiteral("CmbRuolo"));
    for (const roles::ListEntry& e : roles::listEntries())
        m_role->addItem(e.text, e.code);
    m_noteHeading = new QLabel(this);
    m_noteHeading->setObjectName(QStringLiteral("lblNoteGrassetto"));
    QFont bold = m_noteHeading->font();
    bold.setBold(true);
    m_noteHeading->setFont(bold);
    m_noteBody = new QLabel(this);
    m_noteBody->setObjectName(QStringLiteral("lblNoteRuolo"));
    m_noteBody->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_noteBody->setMinimumHeight(m_noteBody->fontMetrics().lineSpacing() * 8);
    // The notes scroll where the screen is too small for them whole (a scaled desktop): the
    // fields and the commands always fit.
    auto* notes = new QScrollArea(this);
    notes->setObjectName(QStringLiteral("scrNoteRuolo"));
    notes->setWidget(m_noteBody);
    notes->setWidgetResizable(true);
    notes->setFrameShape(QFrame::NoFrame);
    notes->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notes->setMinimumHeight(m_noteBody->fontMetrics().lineSpacing() * 3);
    m_notes = notes;

    m_save = new QPushButton(msg::core::text(msg::core::Text::SaveCaption), this);
    m_save->setObjectName(QStringLiteral("cmdSalva"));
    auto* quit = new QPushButton(msg::core::text(msg::core::Text::ExitCaption), this);
    quit->setObjectName(QStringLiteral("cmdEsci"));

    auto* birth = new QHBoxLayout;
    birth->addWidget(m_gg);
    birth->addWidget(new QLabel(msg::roles::text(msg::roles::Text::DateSeparator), this));
    birth->addWidget(m_mm);
    birth->addWidget(new QLabel(msg::roles::text(msg::roles::Text::DateSeparator), this));
    birth->addWidget(m_aaaa);
    birth->addStretch();
    auto* form = new QFormLayout;
    using Field = RoleFault::Field;
    const auto label = [](Field f) { return msg::roles::cardLabel(int(f)); };
    form->addRow(label(Field::CodFiscale), m_codFiscale);
    form->addRow(label(Field::Cognome), m_cognome);
    form->addRow(label(Field::Nome), m_nome);
    auto* birthLabel = new QLabel(label(Field::Giorno), this);
    birthLabel->setBuddy(m_gg); // the date's letter reaches its day
    form->addRow(birthLabel, birth);
    form->addRow(label(Field::Email), m_email);
    form->addRow(label(Field::Telefono), m_telefono);
    form->addRow(label(Field::Operatore), m_operator);
    form->addRow(label(Field::Sede), m_site);
    form->addRow(label(Field::Ruolo), m_role);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_save);
    buttons->addWidget(quit);
    m_readOnlyNote = new QLabel(this);
    m_readOnlyNote->setObjectName(QStringLiteral("lblSolaLettura"));
    m_readOnlyNote->setWordWrap(true);
    m_readOnlyNote->setVisible(false);
    QFont noteFont = m_readOnlyNote->font();
    noteFont.setBold(true);
    m_readOnlyNote->setFont(noteFont);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_readOnlyNote);
    layout->addLayout(form);
    layout->addWidget(m_noteHeading);
    layout->addWidget(m_notes);
    // Room the user gives the window goes below the notes, never between the list and its notes.
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (const OperatorEntry& e : m_card.operatorEntries()) {
        m_operator->addItem(RolePersonCard::operatorDisplay(e), e.group);
        m_operator->setItemData(m_operator->count() - 1, e.code, kCodeRole);
    }
    const std::optional<RolePerson> person = m_card.open();
    m_opened = person.has_value();
    m_save->setEnabled(m_opened && !m_card.readOnly());
    if (m_opened)
        fill(*person);

    // The window holds its content at its natural size: the notes' room is that of the longest.
    resize(qMax(640, sizeHint().width()), sizeHint().height());

    connect(m_operator, &QComboBox::currentIndexChanged, this, &PersonCardScreen::operatorChosen);
    connect(m_role, &QComboBox::currentIndexChanged, this, &PersonCardScreen::roleChosen);
    connect(m_save, &QPushButton::clicked, this, &PersonCardScreen::saveCard);
    connect(quit, &QPushButton::clicked, this, &PersonCardScreen::reject);
}

void PersonCardScreen::fill(const RolePerson& p)
{
    const QSignalBlocker blockOperator(m_operator);
    const QSignalBlocker blockRole(m_role);
    int operatorIndex = 0;
    for (int i = 1; i < m_operator->count(); ++i) {
        if (m_operator->itemData(i).toString() == p.gruppo && m_operator->itemData(i, kCodeRole).toInt() == p.codice)
            operatorIndex = i;
    }
    if (p.codFiscale.isEmpty() && m_operator->count() > 1)
        operatorIndex = 1;
    m_operator->setCurrentIndex(operatorIndex);
    operatorChosen();
    m_site->setCurrentIndex(qMax(0, m_site->findData(p.sede)));
    // The empty entry and the headings hold code 0, so the search finds the empty entry first.
    Q_ASSERT(m_role->itemData(0).toInt() == 0);
    m_role->setCurrentIndex(qMax(0, m_role->findData(p.ruolo)));
    roleChosen();
    m_codFiscale->setText(p.codFiscale);
    m_cognome->setText(p.cognome);
    m_nome->setText(p.nome);
    m_gg->setText(p.gg);
    m_mm->setText(p.mm);
    m_aaaa->setText(p.aaaa);
    m_email->setText(p.email);
    m_telefono->setText(p.tel);
    if (m_card.readOnly()) {
        // Read only, and seen to be: the fields take the window's colour and a line says why.
        for (QLineEdit* e : findChildren<QLineEdit*>()) {
            e->setReadOnly(true);
            QPalette palette = e->palette();
            palette.setColor(QPalette::Base, palette.color(QPalette::Window));
            e->setPalette(palette);
        }
        for (QComboBox* c : {m_operator, m_site, m_role})
            c->setEnabled(false);
        m_readOnlyNote->setText(msg::roles::cardReadOnly().text);
        m_readOnlyNote->setVisible(true);
    }
}

void PersonCardScreen::operatorChosen()
{
    m_site->clear();
    const QList<SiteEntry> sites =
        m_card.siteEntries(m_operator->currentData().toString(), m_operator->currentData(kCodeRole).toInt());
    int widest = 0;
    for (const SiteEntry& s : sites) {
        m_site->addItem(s.display, s.number);
        m_site->setItemData(m_site->count() - 1, s.whole, Qt::ToolTipRole);
        widest = qMax(widest, m_site->fontMetrics().horizontalAdvance(s.display));
    }
    // The list shows each entry whole (the address tells apart sites whose names start alike),
    // within the screen.
    const int screenWidth = screen() ? screen()->availableGeometry().width() : 1024;
    m_site->view()->setMinimumWidth(qMin(widest + 48, screenWidth * 9 / 10));
    m_site->view()->setTextElideMode(Qt::ElideNone);
    m_site->setToolTip(m_site->currentData(Qt::ToolTipRole).toString());
}

void PersonCardScreen::roleChosen()
{
    const int code = m_role->currentData().toInt();
    m_noteHeading->setText(roles::noteHeading(code));
    m_noteBody->setText(QString(roles::noteBody(code)).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

RolePerson PersonCardScreen::values() const
{
    RolePerson p;
    p.codFiscale = m_codFiscale->text();
    p.cognome = m_cognome->text();
    p.nome = m_nome->text();
    p.gg = m_gg->text();
    p.mm = m_mm->text();
    p.aaaa = m_aaaa->text();
    p.email = m_email->text();
    p.tel = m_telefono->text();
    p.gruppo = m_operator->currentData().toString();
    p.codice = m_operator->currentData(kCodeRole).toInt();
    p.sede = m_site->currentData().toInt();
    p.ruolo = m_role->currentData().toInt();
    return p;
}

void PersonCardScreen::focusField(RoleFault::Field field)
{
    QWidget* edit = nullptr;
    switch (field) {
    case RoleFault::Field::CodFiscale:
        edit = m_codFiscale;
        break;
    case RoleFault::Field::Cognome:
        edit = m_cognome;
        break;
    case RoleFault::Field::Nome:
        edit = m_nome;
        break;
    case RoleFault::Field::Giorno:
        edit = m_gg;
        break;
    case RoleFault::Field::Mese:
        edit = m_mm;
        break;
    case RoleFault::Field::Anno:
        edit = m_aaaa;
        break;
    case RoleFault::Field::Email:
        edit = m_email;
        break;
    case RoleFault::Field::Telefono:
        edit = m_telefono;
        break;
    case RoleFault::Field::Operatore:
        edit = m_operator;
        break;
    case RoleFault::Field::Sede:
        edit = m_site;
        break;
    case RoleFault::Field::Ruolo:
        edit = m_role;
        break;
    case RoleFault::Field::None:
        break;
    }
    if (!edit || !edit->isEnabled() || !edit->isVisible())
        return;
    // The message box that told the fault had the activation; the card takes it back so that the
    // field has the focus now, not whenever the window manager hands it back.
    activateWindow();
    edit->setFocus(Qt::OtherFocusReason);
}

void PersonCardScreen::saveCard()
{
    const RolePersonCard::SaveOutcome outcome = m_card.save(values());
    if (outcome == RolePersonCard::SaveOutcome::Failed) {
        focusField(m_card.focus());
        return;
    }
    m_saved = outcome == RolePersonCard::SaveOutcome::Saved;
    QDialog::accept();
}

void PersonCardScreen::reject()
{
    if (m_opened && m_card.exit(values()) == RolePersonCard::ExitOutcome::Stay) {
        focusField(m_card.focus());
        return;
    }
    QDialog::reject();
}

} // namespace vx
