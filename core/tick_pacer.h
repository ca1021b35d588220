#pragma once

#include <chrono>
#include <functional>

#include "core/tick_schedule.h"
#include "motor/tick_period.h"

namespace stepdial {

// The window's timer without its toolkit, ticking once per kTickPeriod.
//
// A front end wakes whenever its toolkit's timer fires and asks TakeTick(): ticks fall on
// a fixed grid on the monotonic clock, so they do not drift, and a late one comes once.
class TickPacer {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;
    static constexpr std::chrono::nanoseconds kPeriod = kTickPeriod;

    explicit TickPacer(Clock clock = MonotonicNow) : clock_(std::move(clock)) {}

    bool Enabled() const { return enabled_; }
    // Enabling starts the grid from now; enabling again while enabled changes nothing.
    // Returns whether the state changed.
    bool SetEnabled(bool enabled);

    // Whether a tick is due by the clock; when it is, the grid moves on past now.
    bool TakeTick();

    // How long until the next tick is due, never negative.
    std::chrono::nanoseconds UntilDeadline() const;

    const TickSchedule& Schedule() const { return schedule_; }

    static std::chrono::nanoseconds MonotonicNow();

private:
    Clock clock_;
    TickSchedule schedule_{kPeriod};
    bool enabled_ = false;
};

}  // namespace stepdial
