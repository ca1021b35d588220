#include "core/tick_schedule.h"

namespace stepdial {

void TickSchedule::Start(Duration now) {
    start_ = now;
    n_ = 1;
    skipped_ = 0;
}

bool TickSchedule::TakeTick(Duration now) {
    if (now < Deadline()) return false;
    // The first grid point at least half a period ahead: a tick late by more than that,
    // followed by the grid point just after it, would be two steps closer together than
    // the motor is ever driven at.
    const std::int64_t next = (now + period_ / 2 - start_) / period_ + 1;
    skipped_ += next - n_ - 1;
    n_ = next;
    return true;
}

}  // namespace stepdial
