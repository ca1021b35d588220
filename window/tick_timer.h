#pragma once

#include <QTimer>
#include <chrono>
#include <functional>

#include "tick_schedule.h"

namespace stepdial {

// The window's timer. Asked for 1 ms, it ticks at 64 per second, the clock tick of the
// desktop the window was designed on, which rounded every 1 ms timer up to 15.625 ms. A
// motor stepped that often keeps up; one stepped every millisecond stalls and loses
// steps while the dial shows positions it never reached.
//
// Each tick is aimed at its deadline on the monotonic clock by a single-shot precise
// timer, so ticks do not drift; nothing is armed while the timer is disabled.
class TickTimer {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;
    static constexpr std::chrono::nanoseconds kPeriod{15'625'000};

    // `onTick` runs once per tick on the event thread.
    explicit TickTimer(std::function<void()> onTick, Clock clock = MonotonicNow);

    // The interval asked for, in milliseconds.
    int Interval() const { return 1; }

    bool Enabled() const { return enabled_; }
    // Enabling starts the schedule from now; enabling it again while it runs changes nothing.
    void SetEnabled(bool enabled);

    // The timer's expiry as the event loop delivers it: runs `onTick` if a tick is due
    // by the clock, then aims at the next deadline. Public so that a test can deliver an
    // expiry with a clock of its own.
    void Expire();

    const TickSchedule& Schedule() const { return schedule_; }
    // Whether a single-shot expiry is pending.
    bool Armed() const { return shot_.isActive(); }

    static std::chrono::nanoseconds MonotonicNow();

private:
    void Arm();

    std::function<void()> onTick_;
    Clock clock_;
    TickSchedule schedule_{kPeriod};
    QTimer shot_;
    bool enabled_ = false;
};

}  // namespace stepdial
