#pragma once
// "The program ends", and the hourglass pointer. Nothing calls exit() directly: the desktop
// program unwinds and leaves its event loops, the command line returns, tests observe that the
// end was asked for. Core objects show the hourglass through `Busy`, never through a widget.

namespace vx {

class AppControl {
public:
    virtual ~AppControl() = default;
    virtual void endProgram() { m_ended = true; }
    bool ended() const { return m_ended; }

    // The hourglass on (true) or back to normal; nested calls pair up.
    virtual void setBusy(bool busy) { m_busyDepth += busy ? 1 : -1; }
    int busyDepth() const { return m_busyDepth; }

private:
    bool m_ended = false;
    int m_busyDepth = 0;
};

// The hourglass for the length of a scope.
class Busy {
public:
    explicit Busy(AppControl& control) : m_control(control) { m_control.setBusy(true); }
    ~Busy() { m_control.setBusy(false); }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    AppControl& m_control;
};

} // namespace vx
