#include "tick_timer.h"

namespace stepdial {

TickTimer::TickTimer(std::function<void()> onTick, Clock clock)
    : onTick_(std::move(onTick)), clock_(std::move(clock)) {
    shot_.setSingleShot(true);
    shot_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&shot_, &QTimer::timeout, [this] { Expire(); });
}

std::chrono::nanoseconds TickTimer::MonotonicNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void TickTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) {
        schedule_.Start(clock_());
        Arm();
    } else {
        shot_.stop();
    }
}

void TickTimer::Expire() {
    if (!enabled_) return;
    if (schedule_.TakeTick(clock_())) onTick_();
    // The tick may have disabled the timer (arrival, a failure).
    if (enabled_) Arm();
}

void TickTimer::Arm() {
    // Qt's timers count whole milliseconds; rounding up means an expiry never comes
    // before its deadline, and the deadline itself stays exact, so the error does not add up.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(schedule_.Deadline() - clock_());
    shot_.start(std::max(wait, std::chrono::milliseconds{0}));
}

}  // namespace stepdial
