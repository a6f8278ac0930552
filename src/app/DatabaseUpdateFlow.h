#pragma once
// The main screen's database-update command, from its two questions to the connection opened
// again: the operator list (and the download it confirms) and the update itself run on this
// workstation alone, with the database held exclusively, so that no other workstation writes
// while the registry comes in. The screens it needs are asked for through DatabaseUpdateScreens,
// so that the whole course can be followed without a window.

#include <QString>

namespace vx {

struct Context;

class DatabaseUpdateScreens {
public:
    virtual ~DatabaseUpdateScreens() = default;
    // The main screen's text while the update runs; an empty text takes it away.
    virtual void showWaiting(const QString& text) = 0;
    // The operator list screen, modal: it downloads the registry. True when the user confirmed
    // the download and the update goes on, false when he cancelled it.
    virtual bool chooseOperators() = 0;
    // The progress window: opened, told each step, closed.
    virtual void openProgress() = 0;
    virtual void showProgress(const QString& file, const QString& table, int rows, int total) = 0;
    virtual void closeProgress() = 0;
};

class DatabaseUpdateFlow {
public:
    DatabaseUpdateFlow(Context& ctx, DatabaseUpdateScreens& screens) : m_ctx(ctx), m_screens(screens) {}

    // The command after its gate. False when the program must end (the user chose to end at an
    // empty decode file, or gave up reopening the database); the caller then ends it.
    bool run();

private:
    Context& m_ctx;
    DatabaseUpdateScreens& m_screens;
};

} // namespace vx
