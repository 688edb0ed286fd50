#pragma once
// Waits for what the event loop or another thread delivers: a window shown and active, a focus
// change, a hand-back from a worker. Each wait ends as soon as its condition holds, so its bound is
// reached only when the awaited thing never comes (a fault); it lies far beyond what a slow, loaded
// machine needs, and no test depends on how fast the machine is.
#include <QTest>
#include <QWidget>

namespace testing_support {

inline constexpr int kEventWaitBoundMs = 60000;

// Processes events until `done` holds; false when it still does not hold at the bound.
template <typename Pred>
[[nodiscard]] bool processEventsUntil(Pred done) {
    return QTest::qWaitFor(done, kEventWaitBoundMs);
}

[[nodiscard]] inline bool waitForWindowActive(QWidget* window) {
    return QTest::qWaitForWindowActive(window, kEventWaitBoundMs);
}

[[nodiscard]] inline bool waitForWindowExposed(QWidget* window) {
    return QTest::qWaitForWindowExposed(window, kEventWaitBoundMs);
}

}  // namespace testing_support
