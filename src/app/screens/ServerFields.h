#pragma once
// Where a database on a PostgreSQL server is, as the first installation and the options screen
// ask for it: server, port, database, TLS mode and the server's authority, and the user's own name
// on the server (the password is never asked here: it is the user's, asked at start or in .pgpass).

#include "store/DatabaseTarget.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace vx {

class Prompter;

class ServerFields : public QWidget {
    Q_OBJECT
public:
    ServerFields(Prompter& prompter, QWidget* parent = nullptr);

    DatabaseTarget target() const;
    void setTarget(const DatabaseTarget& target);
    void browseAuthority(); // cmdSfogliaCA

Q_SIGNALS:
    void changed();

private:
    Prompter& m_prompter;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QLineEdit* m_name;
    QComboBox* m_tls;
    QLineEdit* m_ca;
    QLineEdit* m_user;
};

} // namespace vx
