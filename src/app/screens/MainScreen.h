#pragma once
// The main screen: the selected Request and its operator, and every command of the program.
// The old program's form: Main.

#include "app/CommandGating.h"
#include "core/Context.h"

#include <QIcon>
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

class QAbstractButton;
class QCalendarWidget;
class QDialog;
class QGridLayout;
class QVBoxLayout;
class QLabel;
class QTimer;

namespace vx {

class MainScreen : public QWidget {
    Q_OBJECT
public:
    explicit MainScreen(Context& context, QWidget* parent = nullptr);

    // At load: false when the installation's version is not valid (the program then ends).
    bool load();
    // The first time the screen becomes active: help on a first installation, then the Request
    // selection until a Request is selected. False when the program ends.
    bool firstActivation();
    // Every time it becomes active: the header and the update command.
    void activation();

    QAbstractButton* button(const QString& name) const;
    QLabel* label(const QString& name) const;
    const UpdateCommandState& updateState() const { return m_update; }
    QString hint() const;

    // The commands.
    bool selectRequest(); // false when the program ends
    void openRoles();
    void draftPrint();
    void definitivePrint();
    void databaseUpdate();
    // The update proper; false when the program ends.
    bool runDatabaseUpdate();
    void openBackup();
    void openOptions();
    void contactAssistance();
    void help();

Q_SIGNALS:
    // The exit command, or a selection left without a Request: the orderly end.
    void exitRequested();
    void hintChanged(const QString& hint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One command of the screen: its button and label, the hint the status bar shows while the
    // pointer is on either, and what it does.
    struct Command {
        const char* buttonName;
        const char* labelName;
        msg::app::Command command; // its caption and hint
        std::function<void()> action;
        bool labelActs = true; // a click on the label runs it too
        QAbstractButton* button = nullptr;
        QLabel* label = nullptr;
    };
    void addCommands(std::vector<Command> commands);
    const Command* commandOf(const QObject* widget) const;
    void applyLook(QLabel* hovered);
    void showUpdateState();
    void refreshHeader();

    Context& m_ctx;
    CommandGating m_rules;
    UpdateCommandState m_update;
    std::vector<Command> m_commandList;
    QLabel* m_group;
    QLabel* m_code;
    QLabel* m_name;
    QLabel* m_province;
    QLabel* m_number;
    QLabel* m_calendarLabel;
    QList<std::pair<QLabel*, LinkTarget>> m_links;
    QCalendarWidget* m_calendar = nullptr; // made on first use
    QPointer<QDialog> m_assistance;
    QLabel* m_waitPanel;
    QWidget* m_updatePanel;
    QGridLayout* m_commands;
    QVBoxLayout* m_side;
    QString m_hint;
};

} // namespace vx
