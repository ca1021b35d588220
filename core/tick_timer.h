#pragma once

#include <functional>
#include <utility>

#include "core/tick_pacer.h"

namespace stepdial {

// Timer1 on any toolkit: each tick is aimed at its point on the 1/64 s grid by a one-shot
// wake-up of the platform's, and nothing is armed while the timer is disabled.
//
// `Source` is that wake-up: constructed with what to call at each expiry, on the event
// thread, and armed with ArmAt(a deadline on the monotonic clock), Disarm(), Armed().
template <typename Source>
class TickTimer {
public:
    // Runs an expiry's work (the tick and the arming for the next), so that a failure in
    // either meets the program's failure rule rather than the event loop.
    using Guard = std::function<void(const std::function<void()>& work)>;

    // `onTick` runs once per tick on the event thread.
    explicit TickTimer(std::function<void()> onTick, TickPacer::Clock clock = TickPacer::MonotonicNow,
                       Guard guard = {})
        : onTick_(std::move(onTick)),
          guard_(std::move(guard)),
          pacer_(std::move(clock)),
          source_([this] { Expire(); }) {}

    bool Enabled() const { return pacer_.Enabled(); }
    void SetEnabled(bool enabled) {
        if (!pacer_.SetEnabled(enabled)) return;
        if (enabled) {
            Arm();
        } else {
            source_.Disarm();
        }
    }

    // The source's expiry as the event loop delivers it: runs `onTick` if a tick is due,
    // then aims at the next deadline. Public so that a test can deliver an expiry with a
    // clock of its own.
    void Expire() {
        const auto work = [this] {
            if (pacer_.TakeTick()) onTick_();
            // The tick may have disabled the timer (arrival, a failure).
            if (pacer_.Enabled()) Arm();
        };
        if (guard_) {
            guard_(work);
        } else {
            work();
        }
    }

    const TickSchedule& Schedule() const { return pacer_.Schedule(); }
    // Whether an expiry is pending.
    bool Armed() const { return source_.Armed(); }

protected:
    Source& WakeUp() { return source_; }

private:
    void Arm() {
        // The pacer may run on a clock of the caller's (a test's); the source always runs
        // on the monotonic one. With the real clock this is the grid point itself, give or
        // take the nanoseconds between two readings of the clock, and the grid does not move.
        source_.ArmAt(TickPacer::MonotonicNow() + pacer_.UntilDeadline());
    }

    std::function<void()> onTick_;
    Guard guard_;
    TickPacer pacer_;
    Source source_;
};

}  // namespace stepdial
