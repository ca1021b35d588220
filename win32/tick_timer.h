#pragma once

#include <windows.h>

#include <functional>

#include "core/tick_pacer.h"
#include "win32/tick_source.h"

namespace stepdial::win32 {

// Timer1 on Win32: each tick is aimed at its point on the 1/64 s grid by a one-shot
// tick source, and nothing is armed while the timer is disabled.
class TickTimer {
public:
    // The message the source posts to the window at each expiry.
    static constexpr UINT kMessage = WM_APP + 1;

    // `onTick` runs once per tick, on the window's thread.
    explicit TickTimer(std::function<void()> onTick, TickPacer::Clock clock = TickPacer::MonotonicNow);

    // The window that takes kMessage and hands it to Expire.
    void Attach(HWND window) { source_.Attach(window, kMessage); }

    bool Enabled() const { return pacer_.Enabled(); }
    void SetEnabled(bool enabled);

    // kMessage as the window takes it: runs `onTick` if a tick is due, then aims at the
    // next deadline.
    void Expire();

    const TickSchedule& Schedule() const { return pacer_.Schedule(); }
    // Whether an expiry is pending.
    bool Armed() const { return source_.Armed(); }

private:
    void Arm();

    std::function<void()> onTick_;
    TickPacer pacer_;
    TickSource source_;
};

}  // namespace stepdial::win32
