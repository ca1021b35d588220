#pragma once

#include <windows.h>

#include <functional>

#include "tick_pacer.h"

namespace stepdial::win32 {

// Timer1 on Win32: a window timer asked for the design's interval while enabled, each
// expiry handed to the pacer, which lets a tick through only on its 1/64 s grid.
// USER rounds the 1 ms up to its 10 ms minimum; Windows then fires on its clock tick
// (15.6 ms by default) and Wine every 10 ms, so the grid, not the timer, sets the pace.
class TickTimer {
public:
    // `onTick` runs once per tick, on the window's thread.
    explicit TickTimer(std::function<void()> onTick, TickPacer::Clock clock = TickPacer::MonotonicNow);
    ~TickTimer();
    TickTimer(const TickTimer&) = delete;
    TickTimer& operator=(const TickTimer&) = delete;

    // The window whose WM_TIMER with `id` is this timer's expiry.
    void Attach(HWND window, UINT_PTR id);

    bool Enabled() const { return pacer_.Enabled(); }
    void SetEnabled(bool enabled);

    // A WM_TIMER of this timer: runs `onTick` if a tick is due.
    void Expire();

    UINT_PTR Id() const { return id_; }
    const TickSchedule& Schedule() const { return pacer_.Schedule(); }

private:
    std::function<void()> onTick_;
    TickPacer pacer_;
    HWND window_ = nullptr;
    UINT_PTR id_ = 0;
};

}  // namespace stepdial::win32
