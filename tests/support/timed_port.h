#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

#include "core/tick_schedule.h"
#include "tests/support/recording_port.h"

namespace stepdial::testing {

// Records when each write came, on the grid's clock, so that a test can check that the
// real timer never lets two steps through closer than half its period.
class TimedPort : public RecordingPort {
public:
    void Write(std::uint16_t address, std::uint8_t value) override {
        RecordingPort::Write(address, value);
        times_.push_back(MonotonicNow());
    }

    // The shortest time between two writes after the first `skip` (the start-up's).
    std::chrono::nanoseconds ShortestGap(std::size_t skip = 1) const {
        auto shortest = std::chrono::nanoseconds::max();
        for (std::size_t i = skip + 1; i < times_.size(); ++i)
            shortest = std::min(shortest, times_[i] - times_[i - 1]);
        return shortest;
    }

private:
    std::vector<std::chrono::nanoseconds> times_;
};

}  // namespace stepdial::testing
