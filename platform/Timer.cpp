#include "platform/Timer.h"

#include "platform/Guard.h"

#include <QTimer>

namespace plat {
namespace {
bool manualTimers = false;
}

TTimer::TTimer(QObject* owner) : QObject(owner), timer_(new QTimer(this)) {
    connect(timer_, &QTimer::timeout, this, [this] { Fire(); });
}

TTimer::~TTimer() = default;

void TTimer::SetInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    update();
}

void TTimer::SetEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    update();
}

void TTimer::SetOnTimer(std::function<void(QObject*)> handler) {
    onTimer_ = std::move(handler);
    update();
}

bool TTimer::Running() const { return enabled_ && interval_ > 0 && onTimer_; }

bool TTimer::Fire() {
    if (!Running()) return false;
    // The handler may free or reconfigure the timer: copy it first.
    auto handler = onTimer_;
    guarded([&] { handler(this); });
    return true;
}

void TTimer::update() {
    timer_->stop();
    if (!Running()) return;
    ++starts_;
    if (!manualTimers) timer_->start(interval_);
}

void TTimer::SetManual(bool manual) { manualTimers = manual; }
bool TTimer::Manual() { return manualTimers; }

}  // namespace plat
