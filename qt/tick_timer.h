#pragma once

#include <functional>

#include "core/tick_pacer.h"
#include "qt/tick_source.h"

namespace stepdial::qt {

// Timer1 on Qt: each tick is aimed at its deadline by a one-shot tick source, and nothing
// is armed while the timer is disabled.
class TickTimer {
public:
    // `onTick` runs once per tick on the event thread.
    explicit TickTimer(std::function<void()> onTick, TickPacer::Clock clock = TickPacer::MonotonicNow);

    bool Enabled() const { return pacer_.Enabled(); }
    void SetEnabled(bool enabled);

    // The source's expiry as the event loop delivers it: runs `onTick` if a tick is due,
    // then aims at the next deadline. Public so that a test can deliver an expiry with a
    // clock of its own.
    void Expire();

    const TickSchedule& Schedule() const { return pacer_.Schedule(); }
    // Whether an expiry is pending.
    bool Armed() const { return source_.Armed(); }

private:
    void Arm();

    std::function<void()> onTick_;
    TickPacer pacer_;
    TickSource source_;
};

}  // namespace stepdial::qt
