#pragma once
// A timer with the original's properties: `Interval` in milliseconds (1000), `Enabled` (true) and
// `OnTimer`. It runs while it is enabled, its interval is above 0 and it has a handler; changing
// the interval or switching it on starts the count again. Tests switch all timers to manual and
// fire them by hand, so no test waits for time to pass.
#include <QObject>
#include <functional>

class QTimer;

namespace plat {

class TTimer : public QObject {
public:
    explicit TTimer(QObject* owner = nullptr);
    ~TTimer() override;

    int Interval() const { return interval_; }
    void SetInterval(int ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    void SetOnTimer(std::function<void(QObject* Sender)> handler);

    // True while the timer counts (enabled, interval above 0, a handler set).
    bool Running() const;
    // Runs the handler as an expiry would, when the timer is running; the handler runs guarded.
    // True when it ran.
    bool Fire();
    // How often the count has begun, first or again (also in manual mode): tests see whether a
    // change started it again.
    int Starts() const { return starts_; }

    // Manual mode (tests): timers never start a real countdown; only Fire makes them tick.
    static void SetManual(bool manual);
    static bool Manual();

private:
    void update();
    QTimer* timer_;
    std::function<void(QObject*)> onTimer_;
    int interval_ = 1000;
    bool enabled_ = true;
    int starts_ = 0;
};

}  // namespace plat
