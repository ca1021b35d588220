#pragma once

#include <chrono>
#include <cstdint>

namespace stepdial {

// The clock of the grid and of every platform's wake-up: the monotonic one, which neither
// the operator nor a time service can set while the motor moves.
inline std::chrono::nanoseconds MonotonicNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// Deadlines on a fixed grid from the moment ticking started: start + n * period. A tick
// that comes late is delivered once and the grid moves on to its next point at least
// half a period ahead, so a stall never turns into a burst of steps, no two ticks come
// closer than half a period, and no lateness accumulates.
class TickSchedule {
public:
    using Duration = std::chrono::nanoseconds;

    explicit TickSchedule(Duration period) : period_(period) {}

    // The first tick falls one period after `now`.
    void Start(Duration now) {
        start_ = now;
        n_ = 1;
        skipped_ = 0;
    }

    Duration Deadline() const { return start_ + period_ * n_; }
    Duration Period() const { return period_; }

    // Whether a tick is due at `now`; when it is, the deadline moves to the first grid
    // point at least half a period after `now`.
    bool TakeTick(Duration now) {
        if (now < Deadline()) return false;
        // A tick late by more than half a period, followed by the grid point just after
        // it, would be two steps closer together than the motor is ever driven at.
        const std::int64_t next = (now + period_ / 2 - start_) / period_ + 1;
        skipped_ += next - n_ - 1;
        n_ = next;
        return true;
    }

    // How many grid points have passed unticked because ticks came late.
    std::int64_t Skipped() const { return skipped_; }

private:
    Duration period_;
    Duration start_{};
    std::int64_t n_ = 1;
    std::int64_t skipped_ = 0;
};

}  // namespace stepdial
