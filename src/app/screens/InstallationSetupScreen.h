#pragma once
// The first installation: whether the database is used by this workstation alone or shared,
// and which database file, or which database on a PostgreSQL server.
// The old program's form: Frm_Impostazioni.

#include "core/Context.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace vx {

class IniFile;
class ServerFields;

class InstallationSetupScreen : public QDialog {
    Q_OBJECT
public:
    InstallationSetupScreen(Context& context, IniFile& ini, QWidget* parent = nullptr);

    // The path chosen through the browse command (as if the dialog had returned it).
    void setChosenPath(const QString& path);
    void browse(); // cmdSfoglia
    void save();   // Cmd_Ok
    void quit();   // cmdEsci
    void help();   // cmdHelp

public:
    // Escape, the close box and the exit command all ask before ending the program.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Context& m_ctx;
    IniFile& m_ini;
    QString m_helpFile;
    QString m_chosenPath;
    bool m_versionAsked = false;
    QRadioButton* m_local;
    QRadioButton* m_shared;
    QRadioButton* m_server;
    QLineEdit* m_database;
    QWidget* m_fileFields;
    ServerFields* m_serverFields;
};

} // namespace vx
