#pragma once
// The hourglass pointer for the length of a scope; does nothing without a graphical application.

namespace vx {

class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_active = false;
};

} // namespace vx
