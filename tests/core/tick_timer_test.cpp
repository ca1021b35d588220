#include "core/tick_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

// Timer1's rules over a wake-up whose clock and expiries the test moves by hand: the same
// template runs over the timerfd on Linux and over the waitable timer on Windows.
namespace stepdial {
namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;
constexpr nanoseconds kStart = 5s;
constexpr nanoseconds P = kTickPeriod;

struct FakeWakeUp {
    explicit FakeWakeUp(std::function<void()> expire) : expire(std::move(expire)) {}
    void ArmAt(nanoseconds deadline) {
        if (refuse) throw std::runtime_error("refused");
        armedAt = deadline;
    }
    void Disarm() { armedAt.reset(); }
    bool Armed() const { return armedAt.has_value(); }
    nanoseconds Now() const { return now; }

    std::function<void()> expire;
    std::optional<nanoseconds> armedAt;
    nanoseconds now = kStart;
    bool refuse = false;
};

struct Timer {
    int ticks = 0;
    std::string failure;
    TickTimer<FakeWakeUp> timer{[this] { ++ticks; },
                                [this](const std::function<void()>& work) {
                                    try {
                                        work();
                                    } catch (const std::exception& e) {
                                        failure = e.what();
                                    }
                                }};
    FakeWakeUp& wakeUp = timer.WakeUp();

    // The wake-up expires at `at`, armed or not (a message posted before a Disarm).
    void ExpireAt(nanoseconds at) {
        wakeUp.now = at;
        wakeUp.armedAt.reset();
        wakeUp.expire();
    }
};

// Each expiry asks the grid: early ones give no tick, a late one gives one, never a burst,
// and each is followed by an arming at the grid's next point.
TEST(TickTimer, EachExpiryTicksOnlyWhenTheGridSaysAndArmsTheNextPoint) {
    const struct {
        nanoseconds at;
        int ticks;
        nanoseconds armedAt;
    } expiries[] = {
        {kStart + P - 1ns, 0, kStart + P},  // early: aims again at the same point
        {kStart + P, 1, kStart + 2 * P},    // on time
        {kStart + 2 * P + 1ms, 2, kStart + 3 * P},
        {kStart + 1s, 3, kStart + 65 * P},  // 62 points passed: one tick
        {kStart + 1s, 3, kStart + 65 * P},  // the same late moment again: no second tick
        // Late by over half a period: the next point is at least half a period away.
        {kStart + 65 * P + P / 2 + 1ns, 4, kStart + 67 * P},
    };
    Timer t;
    t.timer.SetEnabled(true);
    ASSERT_EQ(t.wakeUp.armedAt, kStart + P);
    for (const auto& e : expiries) {
        t.ExpireAt(e.at);
        EXPECT_EQ(t.ticks, e.ticks) << "at " << (e.at - kStart).count() << " ns";
        EXPECT_EQ(t.wakeUp.armedAt, e.armedAt) << "at " << (e.at - kStart).count() << " ns";
    }
}

TEST(TickTimer, EnablingAgainWhileEnabledKeepsTheGrid) {
    Timer t;
    t.timer.SetEnabled(true);
    t.wakeUp.now += 7ms;
    t.timer.SetEnabled(true);
    EXPECT_EQ(t.timer.Schedule().Deadline(), kStart + P);
    EXPECT_EQ(t.wakeUp.armedAt, kStart + P);
}

// An expiry that arrives after a Disarm (on Windows, a message already posted) is no tick:
// neither while disabled nor before the first point of the grid enabled again.
TEST(TickTimer, AnExpiryFromBeforeADisarmIsNoTick) {
    Timer t;
    t.timer.SetEnabled(true);
    t.timer.SetEnabled(false);
    EXPECT_FALSE(t.timer.Armed()) << "nothing armed while disabled";
    t.ExpireAt(kStart + 1s);
    EXPECT_EQ(t.ticks, 0);
    EXPECT_FALSE(t.timer.Armed());

    t.timer.SetEnabled(true);
    t.ExpireAt(kStart + 1s + P - 1ns);
    EXPECT_EQ(t.ticks, 0);
    EXPECT_EQ(t.wakeUp.armedAt, kStart + 1s + P);
}

TEST(TickTimer, ATickThatDisablesTheTimerEndsTheTicking) {
    int ticks = 0;
    TickTimer<FakeWakeUp>* self = nullptr;
    TickTimer<FakeWakeUp> timer([&] {
        if (++ticks == 2) self->SetEnabled(false);  // arrival
    });
    self = &timer;
    timer.SetEnabled(true);
    for (int n = 1; n <= 4; ++n) {
        timer.WakeUp().now = kStart + n * P;
        timer.WakeUp().expire();
    }
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(timer.Armed());
}

// A refused re-arming meets the guard (the program's failure rule), after the tick it follows.
TEST(TickTimer, AnArmingRefusedAfterATickGoesToTheGuard) {
    Timer t;
    t.timer.SetEnabled(true);
    t.wakeUp.refuse = true;
    t.ExpireAt(kStart + P);
    EXPECT_EQ(t.ticks, 1);
    EXPECT_EQ(t.failure, "refused");
}

}  // namespace
}  // namespace stepdial
