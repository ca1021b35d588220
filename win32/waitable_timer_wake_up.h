#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <timeapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "core/tick_schedule.h"
#include "motor/port_error.h"

// Windows 10 version 1803 on; older systems refuse the flag with ERROR_INVALID_PARAMETER.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace stepdial::win32 {

// What wakes Form1 for Timer1: a waitable timer aimed at a deadline on the monotonic
// clock. A window timer cannot do it: USER fires every 10 ms or on the system's clock
// tick, whichever the machine has, and the 1/64 s grid then lets steps through 10 or
// 20 ms apart.
//
// A thread of its own waits on the timer and posts kMessage to the window per expiry;
// the expiry itself runs when the window's thread takes that message, so the handlers
// stay on one thread and ticks go on while the window is dragged (the move loop
// dispatches posted messages).
class WaitableTimerWakeUp {
public:
    static constexpr UINT kMessage = WM_APP + 1;

    // `expire` runs on the window's thread, from Expire. Throws std::system_error when
    // Windows gives no timer or no thread.
    explicit WaitableTimerWakeUp(std::function<void()> expire) : expire_(std::move(expire)) {
        timer_ = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_ALL_ACCESS);
        highResolution_ = timer_ != nullptr;
        if (!timer_) timer_ = ::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
        if (!timer_) ThrowNotCreated("a waitable timer");
        stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!stop_) {
            ::CloseHandle(timer_);
            ThrowNotCreated("an event");
        }
        try {
            waiter_ = std::thread([this] { Wait(); });
        } catch (const std::system_error&) {
            ::CloseHandle(stop_);
            ::CloseHandle(timer_);
            throw;
        }
    }
    ~WaitableTimerWakeUp() {
        ::SetEvent(stop_);
        waiter_.join();
        HoldResolution(false);
        ::CloseHandle(stop_);
        ::CloseHandle(timer_);
    }
    WaitableTimerWakeUp(const WaitableTimerWakeUp&) = delete;
    WaitableTimerWakeUp& operator=(const WaitableTimerWakeUp&) = delete;

    // The window that takes kMessage and calls Expire.
    void Attach(HWND window) { window_ = window; }

    // Replaces any deadline armed before. A deadline already past expires at once.
    // Throws std::system_error when Windows refuses to arm the timer.
    void ArmAt(std::chrono::nanoseconds deadline) {
        HoldResolution(!highResolution_);
        // Relative, in 100 ns units: an absolute due time would be on the wall clock, which
        // the operator or a time service may set while the motor moves.
        const auto delay = std::max(deadline - Now(), std::chrono::nanoseconds{100});
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(delay.count() / 100);
        if (!::SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
            Throw(::GetLastError(), "(a waitable timer) cannot be armed");
        }
        armed_ = true;
    }
    // No expiry from this arming (one already posted still comes), and no wake-ups in between.
    void Disarm() {
        ::CancelWaitableTimer(timer_);
        armed_ = false;
        HoldResolution(false);
    }
    bool Armed() const { return armed_; }
    static std::chrono::nanoseconds Now() { return MonotonicNow(); }

    // The finest period a wake-up keeps on this system: a high-resolution timer's is well
    // under a millisecond; without one, a timer waits for the system's clock tick, which
    // the wake-up holds at 1 ms, or coarser where the multimedia timer offers no finer.
    static std::chrono::nanoseconds Resolution() {
        if (const HANDLE probe =
                ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                         TIMER_ALL_ACCESS)) {
            ::CloseHandle(probe);
            return std::chrono::microseconds(500);
        }
        TIMECAPS caps{};
        if (::timeGetDevCaps(&caps, sizeof caps) != MMSYSERR_NOERROR) return std::chrono::milliseconds(16);
        return std::chrono::milliseconds(std::max<UINT>(caps.wPeriodMin, 1));
    }

    // kMessage as the window takes it: a later expiry may be posted again. Throws
    // std::system_error, before anything else, when an expiry could not be posted (the
    // ticks stopped).
    void Expire() {
        posted_ = false;
        armed_ = false;
        if (const DWORD error = postError_.exchange(ERROR_SUCCESS); error != ERROR_SUCCESS) {
            Throw(error, "could not tell the window of a tick");
        }
        expire_();
    }

    // Whether the timer wakes to the microsecond by itself; a plain one needs the
    // system's timer resolution raised to 1 ms while the motor moves.
    bool HighResolution() const { return highResolution_; }

private:
    // How long the waiting thread lets a full queue drain before it posts again.
    static constexpr DWORD kRepostMilliseconds = 10;

    // `failure` ends with what the operator can do, if anything.
    [[noreturn]] static void Throw(DWORD error, const std::string& failure) {
        throw std::system_error(static_cast<int>(error), std::system_category(),
                                "the step timer " + failure + ". Windows says");
    }
    [[noreturn]] static void ThrowNotCreated(const char* what) {
        const DWORD error = ::GetLastError();  // before the text is built
        Throw(error,
              std::string("(") + what + ") cannot be created; " + std::string(remedy::kCloseOtherPrograms));
    }

    void Wait() {
        const HANDLE handles[] = {stop_, timer_};
        while (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            // At most one expiry waits in the window's queue: a late window never finds a
            // pile. Dropping one is safe: the window arms again as it takes the one queued.
            if (!window_ || posted_.exchange(true)) continue;
            // A tick that cannot be posted is lost, and with it every tick after: the window
            // hears of it with the first message that gets through.
            while (!::PostMessageW(window_, kMessage, 0, 0)) {
                postError_ = ::GetLastError();
                if (::WaitForSingleObject(stop_, kRepostMilliseconds) == WAIT_OBJECT_0) return;
            }
        }
    }

    void HoldResolution(bool hold) {
        if (hold == resolutionHeld_) return;
        resolutionHeld_ = hold;
        if (hold) {
            ::timeBeginPeriod(1);
        } else {
            ::timeEndPeriod(1);
        }
    }

    std::function<void()> expire_;
    HANDLE timer_ = nullptr;
    HANDLE stop_ = nullptr;
    bool highResolution_ = false;
    bool resolutionHeld_ = false;
    bool armed_ = false;
    std::atomic<HWND> window_{nullptr};
    std::atomic<bool> posted_{false};
    // Why the last expiry could not be posted; ERROR_SUCCESS while every one was.
    std::atomic<DWORD> postError_{ERROR_SUCCESS};
    std::thread waiter_;
};

}  // namespace stepdial::win32
