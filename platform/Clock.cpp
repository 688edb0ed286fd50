#include "platform/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace plat {
namespace {

class RealClock final : public Clock {
public:
    RealClock() { timer_.start(); }
    int64_t nowMs() override { return timer_.elapsed(); }
    void sleepMs(int ms) override {
        QThread::msleep(static_cast<unsigned long>(ms));
        QCoreApplication::processEvents();
    }

private:
    QElapsedTimer timer_;
};

}  // namespace

Clock& realClock() {
    static RealClock clock;
    return clock;
}

}  // namespace plat
