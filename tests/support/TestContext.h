#pragma once
// The seams and the state of a run, for a test: a scripted prompter, an observable end of the
// program, a desktop that records what it opens, and a clock that can be set.

#include "ScriptedPrompter.h"
#include "TestInstallation.h"

#include "core/AppControl.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "core/Context.h"
#include "core/Desktop.h"
#include "store/Database.h"

#include <QList>
#include <QUrl>

namespace vx::test {

class RecordingDesktop : public Desktop {
public:
    QList<QUrl> opened;
    bool openUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    bool showTextFile(const QString& path) override { return openUrl(QUrl::fromLocalFile(path)); }
};

class TestClock : public Clock {
public:
    QDateTime fixed; // the current time while invalid
    QDateTime now() const override { return fixed.isValid() ? fixed : QDateTime::currentDateTime(); }
};

struct TestContext {
    AppState state;
    Database db;
    ScriptedPrompter prompter;
    AppControl control;
    RecordingDesktop desktop;
    TestClock clock;
    Context ctx{state, db, prompter, control, desktop, clock};
};

// The same on a throw-away installation: its INI written, the state read from it, and the
// database opened on request.
struct InstalledContext : TestContext {
    TestInstallation inst;

    explicit InstalledContext(const IniValues& values = IniValues())
    {
        inst.writeIni(values);
        state = inst.state();
    }
    bool open(Database::Mode mode = Database::Mode::Multiutenza) { return inst.open(db, mode); }
};

} // namespace vx::test
