#include "qt/tick_timer.h"

namespace stepdial::qt {

TickTimer::TickTimer(std::function<void()> onTick, TickPacer::Clock clock)
    : onTick_(std::move(onTick)), pacer_(std::move(clock)), source_([this] { Expire(); }) {}

void TickTimer::SetEnabled(bool enabled) {
    if (!pacer_.SetEnabled(enabled)) return;
    if (enabled) {
        Arm();
    } else {
        source_.Disarm();
    }
}

void TickTimer::Expire() {
    if (pacer_.TakeTick()) onTick_();
    // The tick may have disabled the timer (arrival, a failure).
    if (pacer_.Enabled()) Arm();
}

void TickTimer::Arm() {
    // The pacer may run on a clock of the caller's (a test's); the source always runs on
    // the monotonic one. With the real clock this is the grid point itself, give or take
    // the nanoseconds between two readings of the clock, and the grid does not move.
    source_.ArmAt(TickPacer::MonotonicNow() + pacer_.UntilDeadline());
}

}  // namespace stepdial::qt
