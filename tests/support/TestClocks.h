#pragma once
// Clocks that tests drive in place of the platform's real one.
#include "platform/Clock.h"

#include <cstdint>
#include <vector>

namespace testing_support {

// Stands still until a wait's pause moves it on at once; keeps every pause asked for.
class PollClock final : public plat::Clock {
public:
    explicit PollClock(int64_t start = 0) : now(start) {}
    int64_t now;
    std::vector<int> sleeps;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
};

// Moves on by `step` at every reading, so a wait against it ends after a counted number of readings
// whatever the machine's speed.
class SteppingClock final : public plat::Clock {
public:
    explicit SteppingClock(int step) : step(step) {}
    const int step;
    int64_t now = 0;
    int64_t nowMs() override { return now += step; }
    void sleepMs(int ms) override { now += ms; }
};

}  // namespace testing_support
