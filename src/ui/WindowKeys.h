#pragma once
// Every window of the program worked by keyboard alone: Tab goes through its controls in the
// order they show (top to bottom, left to right, a group whole before the next), and every command
// and every field with a label shown has an Alt+letter of its own in its window (and every choice,
// while letters last). Installed once on
// the application, it looks at each window when it is first shown and again when a control of it
// is shown or hidden, so that screens need not keep a tab order or pick letters by hand; a letter
// a screen chose itself ("&Cerca") is kept.

#include <QList>
#include <QObject>
#include <QString>

class QWidget;

namespace vx {

class WindowKeys : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The widgets of `window` in the order they show: by the layouts that place them (a grid row
    // by row, a form row by row, a box in its direction), a container's content where the
    // container stands; widgets outside any layout by their place. Other windows are left out.
    static QList<QWidget*> shownOrder(QWidget* window);
    // Sets `window`'s tab order to its shown order (the program's own screens only: Qt's own
    // dialogs keep theirs).
    static void orderTabs(QWidget* window);
    // Gives a letter to every command, tab and labelled field of `window` that has none, unique in
    // the window: a word's first letter where one is free, else any letter of the text.
    static void giveLetters(QWidget* window);
    // Orders the tabs and gives the letters of `window`, as the filter does when it is shown and
    // when a control of it is shown or hidden.
    static void arrange(QWidget* window);
};

// Installs one WindowKeys on the application.
void keyboardForEveryWindow();

} // namespace vx
