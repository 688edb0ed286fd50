// The serial port's synchronisation objects: events with both reset kinds, waits with time-outs,
// and the critical section.
#include "mbus/CommObjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <fcntl.h>
#include <unistd.h>

using namespace mbus;
using namespace std::chrono_literals;

namespace {

TEST(TEvent, ManualResetStaysSignalledUntilReset) {
    TEvent event(true, true, QStringLiteral("EVENT_SCAN_DECODE_MBUS"));
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    event.ResetEvent();
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    event.SetEvent();
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(10), wrSignaled);
    event.ResetEvent();  // one reset undoes any number of sets
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
}

TEST(TEvent, AutomaticResetReleasesOneWaiter) {
    TEvent event(false, false);
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    event.SetEvent();
    event.SetEvent();
    EXPECT_EQ(event.WaitFor(0), wrSignaled);
    EXPECT_EQ(event.WaitFor(0), wrTimeout);

    // Two threads wait, one set: exactly one of them is released.
    std::atomic<int> released{0}, timedOut{0};
    auto waiter = [&] { (event.WaitFor(300) == wrSignaled ? released : timedOut)++; };
    std::thread a(waiter), b(waiter);
    event.SetEvent();
    a.join();
    b.join();
    EXPECT_EQ(released, 1);
    EXPECT_EQ(timedOut, 1);
}

TEST(TEvent, WaitEndsWhenAnotherThreadSignals) {
    TSimpleEvent event;
    EXPECT_TRUE(event.ManualReset());
    EXPECT_EQ(event.WaitFor(0), wrTimeout);
    std::thread setter([&] { event.SetEvent(); });
    EXPECT_EQ(event.WaitFor(INFINITE), wrSignaled);
    setter.join();
}

TEST(TEvent, TimeOutWaitsItsTime) {
    TSimpleEvent event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(event.WaitFor(60), wrTimeout);
    // Only a lower bound: a loaded machine makes the wait longer, never shorter.
    EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
}

// Names are accepted but shared with nobody.
TEST(TEvent, NamedEventsAreEachTheirOwn) {
    TEvent first(true, false, QStringLiteral("X")), second(true, false, QStringLiteral("X"));
    first.SetEvent();
    EXPECT_EQ(second.WaitFor(0), wrTimeout);
    EXPECT_EQ(first.Name(), QStringLiteral("X"));
}

// A wait on a handle the system does not know fails and says why.
TEST(TEvent, WaitOnALostHandleIsAnError) {
    struct LostEvent : TEvent {
        LostEvent() : TEvent(true, true) {
            ::close(FHandle);
            FHandle = 1000;  // no descriptor of the test has this number
        }
        ~LostEvent() override { FHandle = -1; }
    } event;
    ASSERT_EQ(::fcntl(1000, F_GETFD), -1);
    EXPECT_EQ(event.WaitFor(100), wrError);
    EXPECT_EQ(event.LastError(), EBADF);
}

TEST(TCriticalSection, SerialisesThreadsAndLetsTheHolderReEnter) {
    TCriticalSection section;
    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            section.Enter();
            section.Acquire();  // the holder takes it again
            ++counter;
            section.Release();
            section.Leave();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

}  // namespace
