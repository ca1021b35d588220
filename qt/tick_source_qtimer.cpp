#include <QTimer>
#include <algorithm>

#include "core/tick_pacer.h"
#include "qt/tick_source.h"

namespace stepdial::qt {

// The portable source: a single-shot precise Qt timer. Qt's timers count whole
// milliseconds; rounding the delay up means an expiry never comes before its deadline,
// and the deadline itself stays exact on the grid, so the error does not add up.
struct TickSource::Backend {
    explicit Backend(std::function<void()> expired) {
        shot.setSingleShot(true);
        shot.setTimerType(Qt::PreciseTimer);
        QObject::connect(&shot, &QTimer::timeout, std::move(expired));
    }
    QTimer shot;
};

TickSource::TickSource(std::function<void()> expired) : backend_(std::make_unique<Backend>(std::move(expired))) {}
TickSource::~TickSource() = default;

void TickSource::ArmAt(std::chrono::nanoseconds deadline) {
    const auto delay = std::max(deadline - TickPacer::MonotonicNow(), std::chrono::nanoseconds{0});
    backend_->shot.start(std::chrono::ceil<std::chrono::milliseconds>(delay));
}

void TickSource::Disarm() { backend_->shot.stop(); }
bool TickSource::Armed() const { return backend_->shot.isActive(); }

}  // namespace stepdial::qt
