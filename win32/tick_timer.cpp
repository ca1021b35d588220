#include "win32/tick_timer.h"

namespace stepdial::win32 {

TickTimer::TickTimer(std::function<void()> onTick, TickPacer::Clock clock)
    : onTick_(std::move(onTick)), pacer_(std::move(clock)) {}

void TickTimer::SetEnabled(bool enabled) {
    if (!pacer_.SetEnabled(enabled)) return;
    if (enabled) {
        Arm();
    } else {
        source_.Disarm();
    }
}

void TickTimer::Expire() {
    // One posted before the timer was disabled is no tick.
    if (!source_.TakeExpiry()) return;
    if (pacer_.TakeTick()) onTick_();
    // The tick may have disabled the timer (arrival, a failure).
    if (pacer_.Enabled()) Arm();
}

void TickTimer::Arm() {
    // The pacer may run on a clock of the caller's (a test's); the source always runs on
    // the monotonic one. With the real clock this is the grid point itself.
    source_.ArmAt(TickPacer::MonotonicNow() + pacer_.UntilDeadline());
}

}  // namespace stepdial::win32
