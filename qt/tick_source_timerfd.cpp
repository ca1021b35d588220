#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

#include "qt/tick_source.h"

namespace stepdial::qt {

// Qt's timers count whole milliseconds, so a tick aimed at a grid point of 15.625 ms
// lands up to a millisecond and more after it; a timerfd is armed to the nanosecond on
// the same monotonic clock as the grid.
struct TickSource::Backend {
    explicit Backend(std::function<void()> expired)
        : expired(std::move(expired)), fd(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {
        if (fd < 0) {
            const int error = errno;
            throw std::system_error(error, std::generic_category(),
                                    "the step timer (a timerfd) cannot be created; close other programs, then "
                                    "start again. The system says");
        }
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { Readable(); });
    }

    ~Backend() {
        notifier.reset();
        close(fd);
    }

    void Set(std::chrono::nanoseconds deadline) {
        itimerspec when{};
        // A zero deadline would disarm the timer instead of expiring at once.
        const auto ns = std::max<std::int64_t>(deadline.count(), 1);
        when.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        when.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        // Absolute: the deadline is a point on the grid, not a delay from whenever this runs.
        if (timerfd_settime(fd, TFD_TIMER_ABSTIME, &when, nullptr) != 0) {
            const int error = errno;
            throw std::system_error(error, std::generic_category(), "the step timer (a timerfd) cannot be armed");
        }
        armed = true;
    }

    void Clear() {
        const itimerspec never{};
        timerfd_settime(fd, 0, &never, nullptr);
        armed = false;
    }

    void Readable() {
        // The count of expirations is read to quiet the descriptor and then ignored: a
        // late wake-up is one tick, and TickPacer decides whether it is due.
        std::uint64_t expirations = 0;
        if (read(fd, &expirations, sizeof expirations) != sizeof expirations) return;  // re-armed meanwhile
        armed = false;
        expired();
    }

    std::function<void()> expired;
    int fd;
    std::unique_ptr<QSocketNotifier> notifier;
    bool armed = false;
};

TickSource::TickSource(std::function<void()> expired) : backend_(std::make_unique<Backend>(std::move(expired))) {}
TickSource::~TickSource() = default;
void TickSource::ArmAt(std::chrono::nanoseconds deadline) { backend_->Set(deadline); }
void TickSource::Disarm() { backend_->Clear(); }
bool TickSource::Armed() const { return backend_->armed; }

}  // namespace stepdial::qt
