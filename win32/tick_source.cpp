#include "win32/tick_source.h"

#include <timeapi.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "core/tick_pacer.h"

// Windows 10 version 1803 on; older systems refuse the flag with ERROR_INVALID_PARAMETER.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace stepdial::win32 {
namespace {

// `failure` ends with what the operator can do, if anything.
[[noreturn]] void ThrowError(DWORD error, const std::string& failure) {
    throw std::system_error(static_cast<int>(error), std::system_category(),
                            "the step timer " + failure + ". Windows says");
}

[[noreturn]] void ThrowLastError(const char* what) {
    ThrowError(::GetLastError(),
               std::string("(") + what + ") cannot be created; close other programs, then start again");
}

// How long the waiting thread lets a full queue drain before it posts again.
constexpr DWORD kRepostMilliseconds = 10;

}  // namespace

TickSource::TickSource(std::function<void()> expired) : expired_(std::move(expired)) {
    timer_ =
        ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    highResolution_ = timer_ != nullptr;
    if (!timer_) timer_ = ::CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
    if (!timer_) ThrowLastError("a waitable timer");
    stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stop_) {
        ::CloseHandle(timer_);
        ThrowLastError("an event");
    }
    try {
        waiter_ = std::thread([this] { Wait(); });
    } catch (const std::system_error&) {
        ::CloseHandle(stop_);
        ::CloseHandle(timer_);
        throw;
    }
}

TickSource::~TickSource() {
    ::SetEvent(stop_);
    waiter_.join();
    HoldResolution(false);
    ::CloseHandle(stop_);
    ::CloseHandle(timer_);
}

void TickSource::Attach(HWND window, UINT message) {
    message_ = message;
    window_ = window;
}

void TickSource::ArmAt(std::chrono::nanoseconds deadline) {
    HoldResolution(!highResolution_);
    // Relative, in 100 ns units: an absolute due time would be on the wall clock, which
    // the operator or a time service may set while the motor moves.
    const auto delay = std::max(deadline - TickPacer::MonotonicNow(), std::chrono::nanoseconds{100});
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(delay.count() / 100);
    if (!::SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
        ThrowError(::GetLastError(), "(a waitable timer) cannot be armed");
    }
    armed_ = true;
}

void TickSource::Disarm() {
    ::CancelWaitableTimer(timer_);
    armed_ = false;
    HoldResolution(false);
}

bool TickSource::TakeExpiry() {
    inFlight_ = false;
    if (const DWORD error = postError_.exchange(ERROR_SUCCESS); error != ERROR_SUCCESS) {
        armed_ = false;
        ThrowError(error, "could not tell the window of a tick");
    }
    return std::exchange(armed_, false);
}

void TickSource::Wait() {
    const HANDLE handles[] = {stop_, timer_};
    while (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        if (!window_ || inFlight_.exchange(true)) continue;
        // A tick that cannot be posted is lost, and with it every tick after: the window
        // hears of it with the first message that gets through.
        while (!::PostMessageW(window_, message_, 0, 0)) {
            postError_ = ::GetLastError();
            if (::WaitForSingleObject(stop_, kRepostMilliseconds) == WAIT_OBJECT_0) return;
        }
    }
}

void TickSource::HoldResolution(bool hold) {
    if (hold == resolutionHeld_) return;
    resolutionHeld_ = hold;
    if (hold) {
        ::timeBeginPeriod(1);
    } else {
        ::timeEndPeriod(1);
    }
}

}  // namespace stepdial::win32
