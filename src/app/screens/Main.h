#pragma once
// The main screen: the selected Request and its operator, and every command of the program.

#include "app/CommandGating.h"
#include "core/Context.h"

#include <QIcon>
#include <QMap>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QCalendarWidget;
class QGridLayout;
class QVBoxLayout;
class QLabel;
class QTimer;

namespace vx {

class Main : public QWidget {
    Q_OBJECT
public:
    explicit Main(Context& context, QWidget* parent = nullptr);

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
    void addCommand(const char* buttonName, const char* labelName, const QString& caption, const QString& hint,
                    const std::function<void()>& action, bool labelActs = true);
    void applyLook(QLabel* hovered);
    void showUpdateState();
    void refreshHeader();

    Context& m_ctx;
    CommandGating m_rules;
    UpdateCommandState m_update;
    QMap<QObject*, QString> m_hints;
    QMap<QObject*, QLabel*> m_commandLabels; // button or label -> the command's label
    QList<QLabel*> m_labels;
    QMap<QString, QAbstractButton*> m_buttons;
    QMap<QString, QLabel*> m_namedLabels;
    QLabel* m_group;
    QLabel* m_code;
    QLabel* m_name;
    QLabel* m_province;
    QLabel* m_number;
    QLabel* m_calendarLabel;
    QCalendarWidget* m_calendar = nullptr; // made on first use
    QWidget* m_waitPanel;
    QWidget* m_updatePanel;
    QGridLayout* m_commands;
    QVBoxLayout* m_side;
    QString m_hint;
    QIcon m_commandIcon; // one picture for every command
};

} // namespace vx
