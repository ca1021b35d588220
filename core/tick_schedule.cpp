#include "tick_schedule.h"

namespace stepdial {

void TickSchedule::Start(Duration now) {
    start_ = now;
    n_ = 1;
    skipped_ = 0;
}

bool TickSchedule::TakeTick(Duration now) {
    if (now < Deadline()) return false;
    const std::int64_t next = (now - start_) / period_ + 1;
    skipped_ += next - n_ - 1;
    n_ = next;
    return true;
}

}  // namespace stepdial
