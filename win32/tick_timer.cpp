#include "tick_timer.h"

#include "layout.h"

namespace stepdial::win32 {

TickTimer::TickTimer(std::function<void()> onTick, TickPacer::Clock clock)
    : onTick_(std::move(onTick)), pacer_(std::move(clock)) {}

TickTimer::~TickTimer() {
    if (window_ && Enabled()) ::KillTimer(window_, id_);
}

void TickTimer::Attach(HWND window, UINT_PTR id) {
    window_ = window;
    id_ = id;
}

void TickTimer::SetEnabled(bool enabled) {
    if (!pacer_.SetEnabled(enabled)) return;
    if (enabled) {
        ::SetTimer(window_, id_, static_cast<UINT>(layout::kTimer1.intervalMs), nullptr);
    } else {
        ::KillTimer(window_, id_);
    }
}

void TickTimer::Expire() {
    if (pacer_.TakeTick()) onTick_();
}

}  // namespace stepdial::win32
