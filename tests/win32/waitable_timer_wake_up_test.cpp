// The step timer's wake-up under Wine: one message per arming, never early, none while
// disarmed, and never a pile in the queue.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <vector>

#include "win32/waitable_timer_wake_up.h"

namespace stepdial::win32 {
namespace {

using namespace std::chrono_literals;
struct Source {
    Source() { source.Attach(window); }
    ~Source() { ::DestroyWindow(window); }
    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    std::vector<std::chrono::nanoseconds> at;
    WaitableTimerWakeUp source{[this] { at.push_back(MonotonicNow()); }};

    // When each expiry came within `time`, each taken as the window takes it.
    std::vector<std::chrono::nanoseconds> Expiries(std::chrono::milliseconds time) {
        const auto end = MonotonicNow() + time;
        while (MonotonicNow() < end) {
            MSG message;
            if (::PeekMessageW(&message, window, WaitableTimerWakeUp::kMessage, WaitableTimerWakeUp::kMessage,
                               PM_REMOVE))
                source.Expire();
            ::Sleep(1);
        }
        return at;
    }
};

// Armed again before it expired: one message, at the later deadline and not before.
TEST(WaitableTimerWakeUp, AnArmingReplacesTheLastAndExpiresOnceAtItsDeadline) {
    Source s;
    s.source.ArmAt(MonotonicNow() + 20ms);
    const auto deadline = MonotonicNow() + 80ms;
    s.source.ArmAt(deadline);
    const auto at = s.Expiries(300ms);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_GE(at[0], deadline);
    EXPECT_FALSE(s.source.Armed());
}

TEST(WaitableTimerWakeUp, DisarmedItPostsNothing) {
    Source s;
    s.source.ArmAt(MonotonicNow() + 30ms);
    s.source.Disarm();
    EXPECT_TRUE(s.Expiries(200ms).empty());
}

// A window that is slow to take its messages finds one expiry, however many passed.
TEST(WaitableTimerWakeUp, AnExpiryNotYetTakenIsTheOnlyOneInTheQueue) {
    Source s;
    for (int i = 0; i < 5; ++i) {
        s.source.ArmAt(MonotonicNow());
        ::Sleep(20);
    }
    EXPECT_EQ(s.Expiries(100ms).size(), 1u);
}

}  // namespace
}  // namespace stepdial::win32
