#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <thread>
#include <vector>

#include "core/tick_pacer.h"
#include "qt/tick_source.h"
#include "qt/tick_timer.h"

// Whichever source this build chose: the same behaviour on every platform. No figures
// here: how close to its deadline it lands is measured in bench/.
namespace stepdial::qt {
namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

struct Counting {
    std::vector<nanoseconds> at;
    TickSource source{[this] { at.push_back(TickPacer::MonotonicNow()); }};
};

TEST(TickSource, ExpiresOnceAndNeverBeforeItsDeadline) {
    Counting c;
    const nanoseconds deadline = TickPacer::MonotonicNow() + 20ms;
    c.source.ArmAt(deadline);
    EXPECT_TRUE(c.source.Armed());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !c.at.empty(); }, 5000));
    EXPECT_GE(c.at.front(), deadline);
    EXPECT_FALSE(c.source.Armed());
    QTest::qWait(60);
    EXPECT_EQ(c.at.size(), 1u) << "one expiry per arming, not a periodic timer";
}

TEST(TickSource, AfterAStallExpiresOnceNotOncePerMissedPeriod) {
    Counting c;
    c.source.ArmAt(TickPacer::MonotonicNow() + 1ms);
    // The event thread is busy far past the deadline, as under a heavy load.
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !c.at.empty(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(c.at.size(), 1u);
}

TEST(TickSource, ADeadlineAlreadyPassedExpiresAtOnce) {
    Counting c;
    c.source.ArmAt(TickPacer::MonotonicNow() - 1s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !c.at.empty(); }, 1000));
}

TEST(TickSource, DisarmedItDoesNotExpire) {
    Counting c;
    c.source.ArmAt(TickPacer::MonotonicNow() + 10ms);
    c.source.Disarm();
    EXPECT_FALSE(c.source.Armed());
    QTest::qWait(60);
    EXPECT_TRUE(c.at.empty());
}

TEST(TickSource, DisarmedAfterItsDeadlinePassedItStillDoesNotExpire) {
    Counting c;
    c.source.ArmAt(TickPacer::MonotonicNow() + 1ms);
    std::this_thread::sleep_for(20ms);  // due, but not yet delivered
    c.source.Disarm();
    QTest::qWait(60);
    EXPECT_TRUE(c.at.empty());
}

TEST(TickSource, ArmingAgainReplacesTheDeadline) {
    Counting c;
    c.source.ArmAt(TickPacer::MonotonicNow() + 10ms);
    c.source.ArmAt(TickPacer::MonotonicNow() + 1h);
    QTest::qWait(60);
    EXPECT_TRUE(c.at.empty());
    EXPECT_TRUE(c.source.Armed());
}

// The step timer on the real clock: a stall of many periods gives one step at once, and
// the next step waits for its own point on the grid.
TEST(TickTimerOnTheRealClock, AfterAStallOneTickThenBackOnTheGrid) {
    std::vector<nanoseconds> at;
    TickTimer timer([&] { at.push_back(TickPacer::MonotonicNow()); });
    timer.SetEnabled(true);
    const nanoseconds firstGridPoint = timer.Schedule().Deadline();
    std::this_thread::sleep_for(200ms);  // about 12 periods
    ASSERT_TRUE(QTest::qWaitFor([&] { return !at.empty(); }, 5000));
    EXPECT_EQ(at.size(), 1u) << "a burst of steps after the stall";
    EXPECT_GE(timer.Schedule().Skipped(), 11);
    const nanoseconds nextGridPoint = timer.Schedule().Deadline();
    EXPECT_LE(nextGridPoint - at.front(), TickPacer::kPeriod + TickPacer::kPeriod / 2);
    EXPECT_EQ((nextGridPoint - firstGridPoint) % TickPacer::kPeriod, 0ns) << "the grid moved after the stall";

    ASSERT_TRUE(QTest::qWaitFor([&] { return at.size() >= 2; }, 5000));
    EXPECT_GE(at[1], nextGridPoint) << "the tick after the stall came before its grid point";
    timer.SetEnabled(false);
}

}  // namespace
}  // namespace stepdial::qt
