#include "tick_timer.h"

namespace stepdial {

TickTimer::TickTimer(std::function<void()> onTick, TickPacer::Clock clock)
    : onTick_(std::move(onTick)), pacer_(std::move(clock)) {
    shot_.setSingleShot(true);
    shot_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&shot_, &QTimer::timeout, [this] { Expire(); });
}

void TickTimer::SetEnabled(bool enabled) {
    if (!pacer_.SetEnabled(enabled)) return;
    if (enabled) {
        Arm();
    } else {
        shot_.stop();
    }
}

void TickTimer::Expire() {
    if (pacer_.TakeTick()) onTick_();
    // The tick may have disabled the timer (arrival, a failure).
    if (pacer_.Enabled()) Arm();
}

void TickTimer::Arm() {
    // Qt's timers count whole milliseconds; rounding up means an expiry never comes
    // before its deadline, and the deadline itself stays exact, so the error does not add up.
    shot_.start(std::chrono::ceil<std::chrono::milliseconds>(pacer_.UntilDeadline()));
}

}  // namespace stepdial
