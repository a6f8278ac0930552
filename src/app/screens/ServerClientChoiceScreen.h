#pragma once
// The version choice of the first installation: SERVER or CLIENT.
// The old program's form: frmServerClient.

#include "core/Context.h"

#include <QDialog>

class QRadioButton;

namespace vx {

class IniFile;

class ServerClientChoiceScreen : public QDialog {
    Q_OBJECT
public:
    ServerClientChoiceScreen(Context& context, IniFile& ini, QWidget* parent = nullptr);

    void confirm(); // cmdOK
    void abandon(); // cmdAnnulla

public:
    // Escape, the close box and the exit command all ask before ending the program.
    void reject() override;

private:
    Context& m_ctx;
    IniFile& m_ini;
    QRadioButton* m_server;
    QRadioButton* m_client;
};

} // namespace vx
