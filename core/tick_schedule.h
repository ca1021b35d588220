#pragma once

#include <chrono>
#include <cstdint>

namespace stepdial {

// Deadlines on a fixed grid from the moment ticking started: start + n * period. A tick
// that comes late is delivered once and the grid moves on to its next point at least
// half a period ahead, so a stall never turns into a burst of steps, no two ticks come
// closer than half a period, and no lateness accumulates.
class TickSchedule {
public:
    using Duration = std::chrono::nanoseconds;

    explicit TickSchedule(Duration period) : period_(period) {}

    // The first tick falls one period after `now`.
    void Start(Duration now);

    Duration Deadline() const { return start_ + period_ * n_; }
    Duration Period() const { return period_; }

    // Whether a tick is due at `now`; when it is, the deadline moves to the first grid
    // point at least half a period after `now`.
    bool TakeTick(Duration now);

    // How many grid points have passed unticked because ticks came late.
    std::int64_t Skipped() const { return skipped_; }

private:
    Duration period_;
    Duration start_{};
    std::int64_t n_ = 1;
    std::int64_t skipped_ = 0;
};

}  // namespace stepdial
