#include "core/tick_pacer.h"

#include <algorithm>

namespace stepdial {

std::chrono::nanoseconds TickPacer::MonotonicNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

bool TickPacer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return false;
    enabled_ = enabled;
    if (enabled_) schedule_.Start(clock_());
    return true;
}

bool TickPacer::TakeTick() { return enabled_ && schedule_.TakeTick(clock_()); }

std::chrono::nanoseconds TickPacer::UntilDeadline() const {
    return std::max(schedule_.Deadline() - clock_(), std::chrono::nanoseconds{0});
}

}  // namespace stepdial
