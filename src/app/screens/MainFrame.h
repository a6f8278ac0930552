#pragma once
// The frame window that holds the main screen. Closing it is the orderly end of the program.
// The old program's form: MDI_Main.

#include "core/Context.h"

#include <QMainWindow>

class QLabel;

namespace vx {

class MainScreen;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit MainFrame(Context& context, QWidget* parent = nullptr);

    MainScreen* mainScreen() const { return m_main; }
    // Loads the main screen (at the first activation); false when the program ended meanwhile.
    bool loadMainScreen();
    // The first activation: the main screen is loaded and runs its own first activation. Runs once,
    // on the first WindowActivate or when called (a display without a window manager never activates).
    void startFirstActivation();
    // Leave as soon as the main screen is loaded and painted, without its first activation (for
    // measurements).
    void setExitWhenReady(bool exit) { m_exitWhenReady = exit; }
    // The orderly end has run: the database is closed and its copy made.
    bool endedInOrder() const { return m_ended; }

Q_SIGNALS:
    // Emitted once, when the window first becomes active.
    void firstActivated();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showTime();
    void closeOnceShown();

    Context& m_ctx;
    MainScreen* m_main = nullptr;
    QLabel* m_hint;
    QLabel* m_time;
    bool m_activated = false;
    bool m_ended = false;
    bool m_exitWhenReady = false;
};

} // namespace vx
