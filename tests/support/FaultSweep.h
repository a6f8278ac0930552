#pragma once
// One fault sweep for every operation that writes: the operation is run on a fresh installation
// with its Nth statement failing, for N = 1, 2, ... until it runs without meeting the fault. After
// each run the database must be whole and hold either its content before the operation or the
// whole content a run without faults gives, never a mix; a failure must be told to the user; and
// where the user is offered to retry a fault that has passed, the retry must complete the change.

#include "TestContext.h"

#include <QString>

#include <functional>
#include <memory>

namespace vx::test {

struct FaultOperation {
    // A fresh installation laid out for one run, with its database open.
    std::function<std::unique_ptr<InstalledContext>()> prepare;
    // The operation; true when it reports success.
    std::function<bool(InstalledContext&)> run;
    // Optional: what else must hold after each run (files moved or left, say); empty when it does.
    std::function<QString(InstalledContext&, bool succeeded)> check = nullptr;
    // False where some failures are only told (the user repeats the command) rather than offered
    // again: a retry is then not required to complete the change.
    bool retriesEveryFault = true;
    // The operation opens connections of its own (a restore, a move between engines): the fault is
    // armed in every connection of the process, not in the context's alone.
    bool ownConnections = false;
    // Its result is not in the installation's database (a move to another engine; `check` looks
    // where it went): that database stays as it was after every run, the clean one too.
    bool leavesTheDatabase = false;
    // Only every `stride`th statement is made to fail: for a long run of reads that each fail the
    // same way (a move reads every table three times), a sample that meets each of its phases.
    int stride = 1;
};

// Empty when every run kept the promises above; otherwise the first that did not, and where.
// `retry`: the user answers Retry to every offer (a few times), else Cancel.
QString sweepFaults(const FaultOperation& operation, bool retry);

} // namespace vx::test
