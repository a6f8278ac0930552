#pragma once
// The person-and-role card.
// The old program's form: FrmPartner.

#include "core/Context.h"
#include "roles/RolePersonCard.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vx {

class PersonCardScreen : public QDialog {
    Q_OBJECT
public:
    PersonCardScreen(Context& context, RoleKey& selection, QWidget* parent = nullptr);

    RolePerson values() const;
    // False when the row to modify was gone: the card was not filled and is not to be shown.
    bool opened() const { return m_opened; }
    bool saved() const { return m_saved; }

    void saveCard();        // cmdSalva
    void reject() override; // cmdEsci, Escape and the close box

private:
    void fill(const RolePerson& person);
    void operatorChosen();
    void roleChosen();
    void focusField(RoleFault::Field field);

    Context& m_ctx;
    RolePersonCard m_card;
    bool m_opened = false;
    bool m_saved = false;
    QLineEdit* m_codFiscale;
    QLineEdit* m_cognome;
    QLineEdit* m_nome;
    QLineEdit* m_gg;
    QLineEdit* m_mm;
    QLineEdit* m_aaaa;
    QLineEdit* m_email;
    QLineEdit* m_telefono;
    QComboBox* m_operator;
    QComboBox* m_site;
    QComboBox* m_role;
    QLabel* m_readOnlyNote;
    QLabel* m_noteHeading;
    QLabel* m_noteBody;
    QWidget* m_notes; // the notes' scroll area
    QPushButton* m_save;
};

} // namespace vx
