#include "platform/Clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <utility>

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

class BlockingClock final : public Clock {
public:
    BlockingClock() { timer_.start(); }
    int64_t nowMs() override { return timer_.elapsed(); }
    void sleepMs(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }

private:
    QElapsedTimer timer_;
};

std::function<QDateTime()>& localNowSource() {
    static std::function<QDateTime()> source;
    return source;
}

}  // namespace

QDateTime localNow() {
    const std::function<QDateTime()>& source = localNowSource();
    return source ? source() : QDateTime::currentDateTime();
}

void setLocalNowSource(std::function<QDateTime()> source) { localNowSource() = std::move(source); }

Clock& realClock() {
    static RealClock clock;
    return clock;
}

Clock& blockingClock() {
    static BlockingClock clock;
    return clock;
}

}  // namespace plat
