#pragma once
// Waiting in a widget or serial-port test for what other threads hand to the user-interface thread
// as posted events.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <chrono>
#include <functional>

namespace testing_support {

// Runs the events until pred holds; false when the bound passed first. Reports reach the
// user-interface thread as posted events, and a short beat wakes the loop for what other threads
// change without one; the bound only ends a test whose work went wrong, never one that is slow.
inline bool runEventsUntil(const std::function<bool()>& pred,
                           std::chrono::milliseconds bound = std::chrono::seconds(300)) {
    QDeadlineTimer deadline(bound);
    QTimer beat;
    beat.start(5);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

}  // namespace testing_support
