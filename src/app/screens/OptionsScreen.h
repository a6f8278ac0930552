#pragma once
// The options screen.
// The old program's form: frmOpzioni.

#include "app/OptionsEditor.h"
#include "core/Context.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace vx {

class ServerFields;

class OptionsScreen : public QDialog {
    Q_OBJECT
public:
    explicit OptionsScreen(Context& context, QWidget* parent = nullptr);

    OptionsValues values() const;
    bool isModified() const { return m_modified; }
    bool installationChanged() const { return m_installationChanged; }

    void browse();            // cmdSfoglia
    void browseCertificate(); // cmdSfogliaCert
    void saveScreen();        // cmdSalva
    void moveDatabase();      // cmdTrasferisci
    void reject() override;   // cmdAnnulla, Escape and the close box

private:
    void fill(const OptionsValues& values);
    void finish(OptionsEditor::Outcome outcome);

    Context& m_ctx;
    OptionsEditor m_editor;
    bool m_loading = true;
    bool m_modified = false;
    bool m_installationChanged = false;
    QRadioButton* m_local;
    QRadioButton* m_multi;
    QLineEdit* m_database;
    QRadioButton* m_inFile;
    QRadioButton* m_onServer;
    QWidget* m_fileFields;
    ServerFields* m_serverFields;
    QLineEdit* m_email;
    QRadioButton* m_serverFirst;
    QRadioButton* m_serverSecond;
    QRadioButton* m_serverOwn;
    QLineEdit* m_ownServer;
    QLineEdit* m_certificate;
    QLabel* m_lastUpdate;
    QCheckBox* m_underline;
    QCheckBox* m_bold;
    QCheckBox* m_colour;
};

} // namespace vx
