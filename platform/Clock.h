#pragma once
// Time for code that waits in small steps while the window keeps working; tests drive it.
#include <cstdint>

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

}  // namespace plat
