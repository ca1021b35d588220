#include "qt/timerfd_wake_up.h"

#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <thread>
#include <vector>

#include "core/tick_timer.h"

// The timerfd on the real clock and event loop. No figures here: how close to its
// deadline it lands is measured in bench/.
namespace stepdial::qt {
namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

struct Counting {
    std::vector<nanoseconds> at;
    TimerfdWakeUp wakeUp{[this] { at.push_back(MonotonicNow()); }};
};

// One expiry per arming, never before its deadline, however long the event thread was
// busy past it (as under a heavy load), and at once for a deadline long past.
TEST(TimerfdWakeUp, ExpiresOnceAtOrAfterItsDeadline) {
    const struct { nanoseconds fromNow, busy; } cases[] = {{20ms, 0ms}, {1ms, 200ms}, {-1s, 0ms}};
    for (const auto& c : cases) {
        Counting w;
        const nanoseconds deadline = MonotonicNow() + c.fromNow;
        w.wakeUp.ArmAt(deadline);
        EXPECT_TRUE(w.wakeUp.Armed());
        std::this_thread::sleep_for(c.busy);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !w.at.empty(); }, 5000)) << c.fromNow.count();
        EXPECT_GE(w.at.front(), deadline);
        EXPECT_FALSE(w.wakeUp.Armed());
        QTest::qWait(60);
        EXPECT_EQ(w.at.size(), 1u) << "one expiry per arming, not one per period";
    }
}

// Disarmed before its deadline, or after it passed but before the event loop saw it.
TEST(TimerfdWakeUp, DisarmedItDoesNotExpire) {
    const struct { nanoseconds fromNow, busy; } cases[] = {{10ms, 0ms}, {1ms, 20ms}};
    for (const auto& c : cases) {
        Counting w;
        w.wakeUp.ArmAt(MonotonicNow() + c.fromNow);
        std::this_thread::sleep_for(c.busy);
        w.wakeUp.Disarm();
        EXPECT_FALSE(w.wakeUp.Armed());
        QTest::qWait(60);
        EXPECT_TRUE(w.at.empty()) << c.busy.count();
    }
}

TEST(TimerfdWakeUp, ArmingAgainReplacesTheDeadline) {
    Counting w;
    w.wakeUp.ArmAt(MonotonicNow() + 10ms);
    w.wakeUp.ArmAt(MonotonicNow() + 1h);
    QTest::qWait(60);
    EXPECT_TRUE(w.at.empty());
    EXPECT_TRUE(w.wakeUp.Armed());
}

// Timer1 over it, on the real clock: a stall of many periods gives one step at once, and
// the next step waits for its own point on the grid.
TEST(TimerfdTickTimer, AfterAStallOneTickThenBackOnTheGrid) {
    std::vector<nanoseconds> at;
    TickTimer<TimerfdWakeUp> timer([&] { at.push_back(MonotonicNow()); });
    timer.SetEnabled(true);
    const nanoseconds firstGridPoint = timer.Schedule().Deadline();
    std::this_thread::sleep_for(200ms);  // about 12 periods
    ASSERT_TRUE(QTest::qWaitFor([&] { return !at.empty(); }, 5000));
    EXPECT_EQ(at.size(), 1u) << "a burst of steps after the stall";
    EXPECT_GE(timer.Schedule().Skipped(), 11);
    const nanoseconds nextGridPoint = timer.Schedule().Deadline();
    EXPECT_LE(nextGridPoint - at.front(), kTickPeriod + kTickPeriod / 2);
    EXPECT_EQ((nextGridPoint - firstGridPoint) % kTickPeriod, 0ns) << "the grid moved after the stall";

    ASSERT_TRUE(QTest::qWaitFor([&] { return at.size() >= 2; }, 5000));
    EXPECT_GE(at[1], nextGridPoint) << "the tick after the stall came before its grid point";
    timer.SetEnabled(false);
}

}  // namespace
}  // namespace stepdial::qt
