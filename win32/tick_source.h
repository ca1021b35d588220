#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace stepdial::win32 {

// What wakes Form1 for Timer1: a waitable timer aimed at a deadline on the monotonic
// clock (the clock of TickPacer::MonotonicNow). A window timer cannot do it: USER
// fires every 10 ms or on the system's clock tick, whichever the machine has, and the
// 1/64 s grid then lets steps through 10 or 20 ms apart.
//
// A thread of its own waits on the timer and posts one message to the window per
// expiry; the tick itself runs when the window's thread takes that message, so the
// handlers stay on one thread and ticks go on while the window is dragged (the move
// loop dispatches posted messages).
class TickSource {
public:
    // `expired` runs on the window's thread, from Deliver. Throws std::system_error when
    // Windows gives no timer or no thread.
    explicit TickSource(std::function<void()> expired = {});
    ~TickSource();
    TickSource(const TickSource&) = delete;
    TickSource& operator=(const TickSource&) = delete;

    // The window that gets `message` at each expiry.
    void Attach(HWND window, UINT message);

    // Replaces any deadline armed before. A deadline already past expires at once.
    // Throws std::system_error when Windows refuses to arm the timer.
    void ArmAt(std::chrono::nanoseconds deadline);
    // No more expiries until the next ArmAt, and no wake-ups in between.
    void Disarm();
    bool Armed() const { return armed_; }

    // The window calls this as it takes the message: a later expiry may be posted again.
    // False for one that was posted before a Disarm. Throws std::system_error when an
    // expiry could not be posted (the ticks stopped).
    bool TakeExpiry();
    // The same, and `expired` runs for an expiry that counts.
    void Deliver() {
        if (TakeExpiry() && expired_) expired_();
    }

    // Whether the timer wakes to the microsecond by itself; a plain one needs the
    // system's timer resolution raised to 1 ms while the motor moves.
    bool HighResolution() const { return highResolution_; }

private:
    void Wait();
    void HoldResolution(bool hold);

    std::function<void()> expired_;
    HANDLE timer_ = nullptr;
    HANDLE stop_ = nullptr;
    bool highResolution_ = false;
    bool resolutionHeld_ = false;
    bool armed_ = false;
    std::atomic<HWND> window_{nullptr};
    std::atomic<UINT> message_{0};
    // At most one expiry waits in the window's queue: a late window never finds a pile.
    std::atomic<bool> inFlight_{false};
    // Why the last expiry could not be posted; ERROR_SUCCESS while every one was.
    std::atomic<DWORD> postError_{ERROR_SUCCESS};
    std::thread waiter_;
};

}  // namespace stepdial::win32
