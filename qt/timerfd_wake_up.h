#pragma once

#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>
#include <utility>

#include "core/tick_schedule.h"
#include "motor/port_error.h"

namespace stepdial::qt {

// What wakes the event loop for Timer1: one expiry at a deadline on the monotonic clock.
// Qt's timers count whole milliseconds, so a tick aimed at a grid point of 1/64 s would
// land up to a millisecond and more after it; a timerfd is armed to the nanosecond on the
// same monotonic clock as the grid. The Qt front end runs on Linux alone (Windows has its
// own), so this is its only wake-up.
class TimerfdWakeUp {
public:
    // `expire` runs on the event thread, once per arming, at or after the deadline; a
    // deadline that passed long ago still gives one call, never one per missed period.
    explicit TimerfdWakeUp(std::function<void()> expire) : expire_(std::move(expire)) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { Expire(); });
    }
    ~TimerfdWakeUp() {
        notifier_.setEnabled(false);
        close(fd_);
    }
    TimerfdWakeUp(const TimerfdWakeUp&) = delete;
    TimerfdWakeUp& operator=(const TimerfdWakeUp&) = delete;

    // Replaces any deadline armed before.
    void ArmAt(std::chrono::nanoseconds deadline) {
        itimerspec when{};
        // A zero deadline would disarm the timer instead of expiring at once.
        const auto ns = std::max<std::int64_t>(deadline.count(), 1);
        when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        // Absolute: the deadline is a point on the grid, not a delay from whenever this runs.
        if (timerfd_settime(fd_, TFD_TIMER_ABSTIME, &when, nullptr) != 0) {
            const int error = errno;
            throw std::system_error(error, std::generic_category(),
                                    "the step timer (a timerfd) cannot be armed");
        }
        armed_ = true;
    }
    void Disarm() {
        const itimerspec never{};
        timerfd_settime(fd_, 0, &never, nullptr);
        armed_ = false;
    }
    bool Armed() const { return armed_; }
    static std::chrono::nanoseconds Now() { return MonotonicNow(); }
    // The finest period a timerfd on the monotonic clock keeps.
    static std::chrono::nanoseconds Resolution() {
        timespec resolution{};
        ::clock_getres(CLOCK_MONOTONIC, &resolution);
        return std::chrono::seconds(resolution.tv_sec) + std::chrono::nanoseconds(resolution.tv_nsec);
    }

private:
    static int Create() {
        const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            throw std::system_error(error, std::generic_category(),
                                    "the step timer (a timerfd) cannot be created; " +
                                        std::string(remedy::kCloseOtherPrograms) + ". The system says");
        }
        return fd;
    }

    void Expire() {
        // The count of expirations is read to quiet the descriptor and then ignored: a
        // late wake-up is one expiry, and the grid decides whether it is a tick.
        std::uint64_t expirations = 0;
        if (read(fd_, &expirations, sizeof expirations) != sizeof expirations) return;  // re-armed meanwhile
        armed_ = false;
        expire_();
    }

    std::function<void()> expire_;
    int fd_ = Create();
    QSocketNotifier notifier_{fd_, QSocketNotifier::Read};
    bool armed_ = false;
};

}  // namespace stepdial::qt
