#pragma once
// Where the start's time goes, for developers: with VX_TRACCIA_AVVIO set to the moment the program
// was launched (CLOCK_MONOTONIC, in nanoseconds, as the start-up benchmark's launcher sets it),
// each step writes its name and the milliseconds since the launch to standard error. Without it a
// step costs one test of a flag.

namespace vx::trace {

void step(const char* name);

} // namespace vx::trace
