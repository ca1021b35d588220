#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "core/tick_schedule.h"
#include "motor/tick_period.h"

namespace stepdial {
namespace {

using namespace std::chrono_literals;
using D = std::chrono::nanoseconds;

constexpr D kPeriod = kTickPeriod;

TEST(TickSchedule, DeadlinesLieOnAGridFromTheStart) {
    TickSchedule s(kPeriod);
    s.Start(1'000ms);
    EXPECT_EQ(s.Deadline(), 1'000ms + kPeriod);
    // Each expiry comes a little late, as timers do; the grid does not move with it.
    for (int n = 1; n <= 640; ++n) {
        const D now = 1'000ms + n * kPeriod + 700us;
        ASSERT_TRUE(s.TakeTick(now)) << n;
        ASSERT_EQ(s.Deadline(), 1'000ms + (n + 1) * kPeriod) << n;
    }
    // 640 ticks of 1/64 s span exactly ten seconds.
    EXPECT_EQ(s.Deadline() - kPeriod - 1'000ms, D(10s));
    EXPECT_EQ(s.Skipped(), 0);
}

TEST(TickSchedule, AnEarlyExpiryIsNoTick) {
    TickSchedule s(kPeriod);
    s.Start(0ns);
    EXPECT_FALSE(s.TakeTick(kPeriod - 1ns));
    EXPECT_EQ(s.Deadline(), kPeriod);
    EXPECT_TRUE(s.TakeTick(kPeriod));
    EXPECT_EQ(s.Deadline(), 2 * kPeriod);
}

// A stall (a busy machine, a window being dragged) must not turn into a burst of
// steps that the motor cannot follow: one tick, then the next grid point ahead.
TEST(TickSchedule, ALateTickIsDeliveredOnceAndTheMissedOnesAreSkipped) {
    TickSchedule s(kPeriod);
    s.Start(0ns);
    const D late = 5 * kPeriod + 3ms;  // deadlines 1..5 have passed
    EXPECT_TRUE(s.TakeTick(late));
    EXPECT_EQ(s.Deadline(), 6 * kPeriod);
    EXPECT_EQ(s.Skipped(), 4);
    // Asking again at the same moment delivers nothing more.
    EXPECT_FALSE(s.TakeTick(late));
    EXPECT_FALSE(s.TakeTick(6 * kPeriod - 1ns));
    EXPECT_TRUE(s.TakeTick(6 * kPeriod));
    EXPECT_EQ(s.Deadline(), 7 * kPeriod);
}

// Late by more than half a period, the grid point just ahead is too close: two steps
// that near each other are a rate the motor may not follow.
TEST(TickSchedule, AfterATickLateByOverHalfAPeriodTheNextIsHalfAPeriodAwayAtLeast) {
    TickSchedule s(kPeriod);
    s.Start(0ns);
    EXPECT_TRUE(s.TakeTick(kPeriod + kPeriod / 2 + 1ns));
    EXPECT_EQ(s.Deadline(), 3 * kPeriod);
    EXPECT_EQ(s.Skipped(), 1);
    EXPECT_TRUE(s.TakeTick(3 * kPeriod + kPeriod / 2 - 1ns));
    EXPECT_EQ(s.Deadline(), 4 * kPeriod) << "late by just under half a period: the grid as before";
}

TEST(TickSchedule, ATickExactlyOnAGridPointAimsAtTheNextOne) {
    TickSchedule s(kPeriod);
    s.Start(0ns);
    EXPECT_TRUE(s.TakeTick(3 * kPeriod));
    EXPECT_EQ(s.Deadline(), 4 * kPeriod);
    EXPECT_EQ(s.Skipped(), 2);
}

TEST(TickSchedule, RestartingBeginsANewGrid) {
    TickSchedule s(kPeriod);
    s.Start(0ns);
    ASSERT_TRUE(s.TakeTick(10 * kPeriod));
    s.Start(1s + 3ms);
    EXPECT_EQ(s.Deadline(), 1s + 3ms + kPeriod);
    EXPECT_EQ(s.Skipped(), 0);
}

}  // namespace
}  // namespace stepdial
