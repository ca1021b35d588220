#pragma once

#include <functional>
#include <utility>

#include "core/tick_schedule.h"
#include "motor/tick_period.h"

namespace stepdial {

// Timer1 on any platform: each tick is aimed at its point on the grid by a one-shot
// wake-up of the platform's, and nothing is armed while the timer is disabled.
//
// `PlatformWakeUp` is constructed with what to call at each expiry, on the event thread,
// and has ArmAt(a deadline on its clock), Disarm(), Armed() and Now(), that clock. The
// grid reads the same clock, so a deadline is armed as the grid holds it, and a test's
// wake-up brings a clock of its own.
//
// The grid alone decides whether an expiry is a tick: a wake-up may expire early, more
// than once, or for an arming since cancelled (a message already on its way), and each
// time the grid gives one tick at most, and none before its point.
template <typename PlatformWakeUp>
class TickTimer {
public:
    // Runs an expiry's work (the tick and the arming for the next), so that a failure in
    // either meets the program's failure rule rather than the event loop.
    using Guard = std::function<void(const std::function<void()>& work)>;

    // `onTick` runs once per tick on the event thread, one `period` apart.
    explicit TickTimer(std::function<void()> onTick, Guard guard = Unguarded,
                       TickSchedule::Duration period = kTickPeriod)
        : onTick_(std::move(onTick)),
          guard_(std::move(guard)),
          schedule_(period),
          wakeUp_([this] { Expire(); }) {}

    bool Enabled() const { return enabled_; }
    // Enabling starts the grid from now; enabling again while enabled changes nothing.
    void SetEnabled(bool enabled) {
        if (enabled == enabled_) return;
        enabled_ = enabled;
        if (enabled_) {
            schedule_.Start(wakeUp_.Now());
            wakeUp_.ArmAt(schedule_.Deadline());
        } else {
            wakeUp_.Disarm();
        }
    }

    // The wake-up's expiry: the tick if one is due, then the arming for the next. Public
    // so that a test can deliver one whenever it likes.
    void Expire() {
        guard_([this] {
            if (enabled_ && schedule_.TakeTick(wakeUp_.Now())) onTick_();
            // The tick may have disabled the timer (arrival, a failure).
            if (enabled_) wakeUp_.ArmAt(schedule_.Deadline());
        });
    }

    const TickSchedule& Schedule() const { return schedule_; }
    // Whether an expiry is pending.
    bool Armed() const { return wakeUp_.Armed(); }
    PlatformWakeUp& WakeUp() { return wakeUp_; }

    // For a platform whose expiry already runs under the program's failure rule.
    static void Unguarded(const std::function<void()>& work) { work(); }

private:
    std::function<void()> onTick_;
    Guard guard_;
    TickSchedule schedule_;
    bool enabled_ = false;
    PlatformWakeUp wakeUp_;
};

}  // namespace stepdial
