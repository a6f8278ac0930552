#pragma once
// The main screen's rules: the header it shows, its caption, the gates of the draft print, the
// definitive print and the database update, the state of the update command, the Request
// selection at the first activation, the links and the help.

#include "app/Messages.h"
#include "core/Context.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace vx {

struct MainHeader {
    QString group;
    QString code;
    QString name; // "-  " and the name, cut at 24 characters and "..." from 25 on
    QString nameTooltip;
    QString provinceName;
    QString number;
    bool operator==(const MainHeader&) const = default;
};

// The database-update command and its label.
struct UpdateCommandState {
    bool enabled = false;
    bool greyed = true; // the greyed picture
    bool labelVisible = false;
    bool labelEnabled = true;
    bool operator==(const UpdateCommandState&) const = default;
};

struct LinkTarget {
    msg::app::Link link;
    QUrl address;
};

class CommandGating {
public:
    static constexpr int kHelpTopic = 20000;

    explicit CommandGating(Context& context) : m_ctx(context) {}

    static QString caption(const QString& version);
    static QString nameLabel(const QString& name, QString* tooltip);

    // At load: a version other than SERVER or CLIENT closes the connection and ends the program.
    bool checkVersion();
    MainHeader header() const;
    UpdateCommandState updateStateAtLoad() const;
    // At every activation, from the state the command had.
    UpdateCommandState updateStateAtActivation(UpdateCommandState previous) const;

    // The gates; true when the command may open its screen.
    bool commonGate();
    // Each print gate, then the verifier warning.
    bool draftPrint();
    bool definitivePrint();
    bool databaseUpdate();
    void verifierWarning();

    // First activation: whether the Request selection must open (again).
    bool needsSelection() const;
    // After the Request selection: true when a Request is selected; otherwise the program ends.
    bool selectionDone();

    QList<LinkTarget> links() const;
    // Asks, and opens the address on Yes.
    bool openLink(const LinkTarget& link);
    void help();

private:
    bool draftPrintGate();
    bool definitivePrintGate();

    Context& m_ctx;
};

} // namespace vx
