// The step timer's source under Wine: one message per arming, never early, none while
// disarmed, and never a pile in the queue.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <vector>

#include "core/tick_pacer.h"
#include "win32/tick_source.h"

namespace stepdial::win32 {
namespace {

using namespace std::chrono_literals;
constexpr UINT kExpired = WM_APP + 7;

struct Source {
    Source() { source.Attach(window, kExpired); }
    ~Source() { ::DestroyWindow(window); }
    HWND window =
        ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    TickSource source;

    // When each expiry came within `time`, each taken as the window takes it.
    std::vector<std::chrono::nanoseconds> Expiries(std::chrono::milliseconds time) {
        std::vector<std::chrono::nanoseconds> at;
        const auto end = TickPacer::MonotonicNow() + time;
        while (TickPacer::MonotonicNow() < end) {
            MSG message;
            if (::PeekMessageW(&message, window, kExpired, kExpired, PM_REMOVE)) {
                source.TakeExpiry();
                at.push_back(TickPacer::MonotonicNow());
            }
            ::Sleep(1);
        }
        return at;
    }
};

// Armed again before it expired: one message, at the later deadline and not before.
TEST(TickSource, AnArmingReplacesTheLastAndExpiresOnceAtItsDeadline) {
    Source s;
    s.source.ArmAt(TickPacer::MonotonicNow() + 20ms);
    const auto deadline = TickPacer::MonotonicNow() + 80ms;
    s.source.ArmAt(deadline);
    const auto at = s.Expiries(300ms);
    ASSERT_EQ(at.size(), 1u);
    EXPECT_GE(at[0], deadline);
    EXPECT_FALSE(s.source.Armed());
}

TEST(TickSource, DisarmedItPostsNothing) {
    Source s;
    s.source.ArmAt(TickPacer::MonotonicNow() + 30ms);
    s.source.Disarm();
    EXPECT_TRUE(s.Expiries(200ms).empty());
}

// A window that is slow to take its messages finds one expiry, however many passed.
TEST(TickSource, AnExpiryNotYetTakenIsTheOnlyOneInTheQueue) {
    Source s;
    for (int i = 0; i < 5; ++i) {
        s.source.ArmAt(TickPacer::MonotonicNow());
        ::Sleep(20);
    }
    EXPECT_EQ(s.Expiries(100ms).size(), 1u);
}

}  // namespace
}  // namespace stepdial::win32
