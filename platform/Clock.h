#pragma once
// Time for code that waits in small steps while the window keeps working; tests drive it.
#include <QDateTime>
#include <cstdint>
#include <functional>

namespace plat {

class Clock {
public:
    virtual ~Clock() = default;
    virtual int64_t nowMs() = 0;
    // Waits about `ms` milliseconds and lets the application process its pending events.
    virtual void sleepMs(int ms) = 0;
};

// Monotonic time; sleeping processes window messages.
Clock& realClock();
// Monotonic time; sleeping blocks the thread and processes nothing, for waits during which the
// program's windows must not respond.
Clock& blockingClock();

// The local date and time of day, for texts that carry the moment a file was written. Tests fix it.
QDateTime localNow();
// Replaces the source of localNow(); an empty function restores the system's local time.
void setLocalNowSource(std::function<QDateTime()> source);

}  // namespace plat
