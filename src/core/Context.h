#pragma once
// The seams and the state that screens and core objects share for the whole run.

namespace vx {

class AppControl;
class Clock;
class Database;
class Desktop;
class Prompter;
struct AppState;

struct Context {
    AppState& state;
    Database& db;
    Prompter& prompter;
    AppControl& control;
    Desktop& desktop;
    Clock& clock;
};

} // namespace vx
