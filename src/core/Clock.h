#pragma once
// Today's date and time. Dates written into files and records come from here.

#include <QDateTime>

namespace vx {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
};

} // namespace vx
