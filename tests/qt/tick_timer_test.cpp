#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <chrono>

#include "qt/tick_timer.h"

namespace stepdial::qt {
namespace {

using namespace std::chrono_literals;

// A timer on a clock the test moves by hand: the schedule is checked without waiting.
struct ManualClockTimer {
    std::chrono::nanoseconds now = 5s;
    int ticks = 0;
    TickTimer timer{[this] { ++ticks; }, [this] { return now; }};
};

TEST(TickTimer, StartsDisabledWithNothingArmed) {
    ManualClockTimer t;
    EXPECT_FALSE(t.timer.Enabled());
    EXPECT_FALSE(t.timer.Armed()) << "nothing may run while the timer is disabled";
}

TEST(TickTimer, TicksOnlyWhenTheDeadlineHasCome) {
    ManualClockTimer t;
    t.timer.SetEnabled(true);
    EXPECT_TRUE(t.timer.Armed());
    EXPECT_EQ(t.timer.Schedule().Deadline(), 5s + TickPacer::kPeriod);

    t.now += TickPacer::kPeriod - 1ms;
    t.timer.Expire();
    EXPECT_EQ(t.ticks, 0);
    EXPECT_TRUE(t.timer.Armed()) << "an early expiry must aim again at the deadline";

    t.now += 1ms;
    t.timer.Expire();
    EXPECT_EQ(t.ticks, 1);
    EXPECT_TRUE(t.timer.Armed());
}

TEST(TickTimer, ALateExpiryGivesOneTickNotABurst) {
    ManualClockTimer t;
    t.timer.SetEnabled(true);
    t.now += 1s;  // 64 deadlines have passed
    t.timer.Expire();
    t.timer.Expire();
    t.timer.Expire();
    EXPECT_EQ(t.ticks, 1);
    EXPECT_EQ(t.timer.Schedule().Deadline(), 5s + 65 * TickPacer::kPeriod);
}

TEST(TickTimer, EnablingAgainWhileRunningKeepsTheSchedule) {
    ManualClockTimer t;
    t.timer.SetEnabled(true);
    t.now += 7ms;
    t.timer.SetEnabled(true);
    EXPECT_EQ(t.timer.Schedule().Deadline(), 5s + TickPacer::kPeriod);
}

TEST(TickTimer, DisabledItNeitherTicksNorWaits) {
    ManualClockTimer t;
    t.timer.SetEnabled(true);
    t.timer.SetEnabled(false);
    EXPECT_FALSE(t.timer.Armed());
    t.now += 1s;
    t.timer.Expire();
    EXPECT_EQ(t.ticks, 0);
}

TEST(TickTimer, ATickThatDisablesTheTimerEndsTheTicking) {
    std::chrono::nanoseconds now = 0s;
    int ticks = 0;
    TickTimer* self = nullptr;
    TickTimer timer([&] { if (++ticks == 2) self->SetEnabled(false); }, [&] { return now; });
    self = &timer;
    timer.SetEnabled(true);
    for (int i = 0; i < 5; ++i) {
        now += TickPacer::kPeriod;
        timer.Expire();
    }
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(timer.Armed());
}

// The event loop delivers the ticks by itself (no figures: the cadence is measured in bench/).
TEST(TickTimer, TheEventLoopDeliversTicksUntilDisabled) {
    int ticks = 0;
    TickTimer timer([&] { ++ticks; });
    timer.SetEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
    timer.SetEnabled(false);
    const int atStop = ticks;
    QTest::qWait(100);
    EXPECT_EQ(ticks, atStop);
}

}  // namespace
}  // namespace stepdial::qt
