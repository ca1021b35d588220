#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace stepdial::qt {

// What wakes the event loop for Timer1: one expiry at a deadline on the monotonic clock
// (the clock of TickPacer::MonotonicNow), behind which stands a timerfd.
class TickSource {
public:
    // `expired` runs on the event thread, once per arming, at or after the deadline; a
    // deadline that passed long ago still gives one call, never one per missed period.
    explicit TickSource(std::function<void()> expired);
    ~TickSource();
    TickSource(const TickSource&) = delete;
    TickSource& operator=(const TickSource&) = delete;

    // Replaces any deadline armed before.
    void ArmAt(std::chrono::nanoseconds deadline);
    void Disarm();
    bool Armed() const;

private:
    struct Backend;
    std::unique_ptr<Backend> backend_;
};

}  // namespace stepdial::qt
