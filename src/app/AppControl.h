#pragma once
// "The program ends": nothing calls exit() directly. The desktop program unwinds and leaves its
// event loops; the command line returns; tests observe that the end was asked for.

namespace vx {

class AppControl {
public:
    virtual ~AppControl() = default;
    virtual void endProgram() { m_ended = true; }
    bool ended() const { return m_ended; }

private:
    bool m_ended = false;
};

} // namespace vx
