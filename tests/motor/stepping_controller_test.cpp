#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "motor/port_error.h"
#include "tests/support/recording_port.h"
#include "motor/stepping_controller.h"

namespace stepdial {
namespace {

using testing::RecordingPort;
using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes head, const Bytes& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

Bytes Repeat(const Bytes& cycle, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), cycle.begin(), cycle.end());
    return out;
}

// A controller after start-up, with the start-up write already checked and cleared.
struct Motor {
    RecordingPort port;
    SteppingController controller;

    explicit Motor(const MotorModel& model = {}) : controller(port, model) {
        controller.ResetMotor();
        port.Clear();
    }

    // What the window does after a press of the start button: ticks until arrival.
    int Run(const std::string& entry, int limit = 10'000) {
        for (int ticks = 1; ticks <= limit; ++ticks) {
            controller.StepMotor(entry);
            if (controller.HasArrived()) return ticks;
        }
        return -1;
    }

    void MoveTo(const std::string& entry) {
        Run(entry);
        port.Clear();
    }
};

TEST(SteppingController, StartUpSwitchesAllCoilsOffWithOneWrite) {
    RecordingPort port;
    SteppingController controller(port);
    EXPECT_TRUE(port.Writes().empty());
    controller.ResetMotor();
    ASSERT_EQ(port.Writes().size(), 1u);
    EXPECT_EQ(port.Writes()[0], (RecordingPort::Written{888, 0}));
    EXPECT_EQ(controller.StepAngle(), 7.5);
    EXPECT_EQ(controller.CurrentStep(), 0);
    EXPECT_FALSE(controller.TargetStep().has_value());
}

struct MoveCase {
    const char* name;
    const char* from;  // entry of an earlier completed move, "" for none
    const char* entry;
    int ticks;
    std::int64_t endStep;
    Bytes bytes;
    MotorModel model = {};
};

void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class Moves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(Moves, StepOncePerTickAndWriteEachPositionsPattern) {
    const auto& c = GetParam();
    Motor motor(c.model);
    if (*c.from) motor.MoveTo(c.from);

    EXPECT_EQ(motor.Run(c.entry), c.ticks);
    EXPECT_EQ(motor.controller.CurrentStep(), c.endStep);
    EXPECT_EQ(motor.port.Values(), c.bytes);
    for (const auto& write : motor.port.Writes()) EXPECT_EQ(write.address, 888);
}

constexpr MotorModel k28byj{2048, Drive::TwoCoils, 64};
constexpr MotorModel k28byjHalf{4096, Drive::HalfSteps, 64};
constexpr MotorModel kHybridWave{200, Drive::OneCoil, 64};

INSTANTIATE_TEST_SUITE_P(
    Table, Moves,
    ::testing::Values(
        MoveCase{"FullTurnUp", "", "360", 48, 48, Repeat({6, 12, 9, 3}, 12)},
        MoveCase{"FullTurnDown", "360", "0", 48, 0, Repeat({9, 12, 6, 3}, 12)},
        MoveCase{"ZeroAtZeroRewritesThePattern", "", "0", 1, 0, {3}},
        MoveCase{"FractionalRisingStopsBelow", "", "100", 13, 13, Repeat({6, 12, 9, 3}, 3) + Bytes{6}},
        MoveCase{"FractionalFallingStopsAbove", "360", "100", 34, 14,
                 Repeat({9, 12, 6, 3}, 8) + Bytes{9, 12}},
        MoveCase{"HalfStepStaysPut", "", "3.75", 1, 0, {3}}, MoveCase{"StepAndAHalf", "", "11.25", 1, 1, {6}},
        MoveCase{"EmptyEntryReturnsHome", "37.5", "", 5, 0, {3, 9, 12, 6, 3}},
        MoveCase{"LettersReturnHome", "15", "abc", 2, 0, {6, 3}},
        // Below 0 the coils keep turning in phase order: one byte every tick.
        MoveCase{"NegativeAngle", "", "-45", 6, -6, {9, 12, 6, 3, 9, 12}},
        MoveCase{"DownThroughZero", "15", "-15", 4, -2, {6, 3, 9, 12}},
        MoveCase{"UpFromNegative", "-15", "15", 4, 2, {9, 3, 6, 12}},
        // Other motors: their drive's order, through zero both ways.
        MoveCase{"GearedFullTurn", "", "360", 2048, 2048, Repeat({6, 12, 9, 3}, 512), k28byj},
        MoveCase{"GearedHalfStepsTurn", "", "360", 4096, 4096, Repeat({3, 2, 6, 4, 12, 8, 9, 1}, 512),
                 k28byjHalf},
        MoveCase{"GearedHalfStepsDown", "360", "0", 4096, 0, Repeat({9, 8, 12, 4, 6, 2, 3, 1}, 512),
                 k28byjHalf},
        MoveCase{"HalfStepsBelowZero", "", "-0.3515625", 4, -4, {9, 8, 12, 4}, k28byjHalf},
        MoveCase{"HybridQuarterTurn", "", "90", 50, 50, Repeat({2, 4, 8, 1}, 12) + Bytes{2, 4}, kHybridWave},
        // 1.8 is no binary fraction: 37.8 degrees must still be 21 whole steps.
        MoveCase{"HybridTypedDecimal", "", "37.8", 21, 21, Repeat({2, 4, 8, 1}, 5) + Bytes{2}, kHybridWave},
        MoveCase{"HybridBackThroughZero", "3.6", "-3.6", 4, -2, {2, 1, 8, 4}, kHybridWave}));

TEST(SteppingController, TheDefaultsAreTheDesignsMotorByteForByte) {
    Motor design(MotorModel{48, Drive::TwoCoils, 64});
    Motor defaults;
    EXPECT_EQ(design.controller.StepAngle(), 7.5);
    for (const char* entry : {"100", "-45", "360", "0.1", "1e999", "-1e300"}) {
        design.Run(entry, 200);
        defaults.Run(entry, 200);
    }
    EXPECT_EQ(design.port.Values(), defaults.port.Values());
}

TEST(SteppingController, AReversalMidMoveInHalfStepsTakesTheNextPatternBack) {
    Motor motor(k28byjHalf);
    for (int i = 0; i < 10; ++i) motor.controller.StepMotor("360");
    motor.port.Clear();
    motor.controller.StepMotor("0");
    EXPECT_EQ(motor.controller.CurrentStep(), 9);
    EXPECT_EQ(motor.port.Values(), Bytes{3});
}

TEST(SteppingController, AThousandTurnsOfAGearedMotorArriveExactly) {
    Motor motor(k28byj);
    EXPECT_EQ(motor.Run("360000", 3'000'000), 2'048'000);
    EXPECT_EQ(motor.controller.TargetStep(), 2'048'000.0);
    EXPECT_EQ(motor.controller.CurrentStep(), 2'048'000);
}

TEST(SteppingController, PressAfterAFallingApproachTakesOneMoreStepDownThenStays) {
    Motor motor;
    motor.MoveTo("360");
    motor.MoveTo("100");
    ASSERT_EQ(motor.controller.CurrentStep(), 14);

    EXPECT_EQ(motor.Run("100"), 1);
    EXPECT_EQ(motor.controller.CurrentStep(), 13);
    EXPECT_EQ(motor.port.Values(), Bytes{6});

    EXPECT_EQ(motor.Run("100"), 1);
    EXPECT_EQ(motor.controller.CurrentStep(), 13);
    EXPECT_EQ(motor.port.Values(), (Bytes{6, 6}));
}

TEST(SteppingController, AnEditMidMoveRetargetsOnTheNextTick) {
    Motor motor;
    for (int i = 0; i < 10; ++i) motor.controller.StepMotor("360");
    ASSERT_EQ(motor.controller.CurrentStep(), 10);
    ASSERT_FALSE(motor.controller.HasArrived());
    motor.port.Clear();

    motor.controller.StepMotor("0");
    EXPECT_EQ(motor.controller.CurrentStep(), 9);
    EXPECT_EQ(motor.port.Values(), Bytes{6});
}

TEST(SteppingController, TargetsBeyondThePositionsRangeAimAtTheFarthestStep) {
    struct Case {
        const char* entry;
        double target;
        std::int64_t step;
    };
    for (const Case c : {Case{"1e999", 9223372036854774784.0, 1}, Case{"1e300", 9223372036854774784.0, 1},
                         Case{"-1e999", -9223372036854775808.0, -1},
                         Case{"-1e300", -9223372036854775808.0, -1}}) {
        Motor motor;
        motor.controller.StepMotor(c.entry);
        EXPECT_EQ(motor.controller.TargetStep(), c.target) << c.entry;
        EXPECT_EQ(motor.controller.CurrentStep(), c.step) << c.entry;
        EXPECT_FALSE(motor.controller.HasArrived()) << c.entry;
    }
}

TEST(SteppingController, APortFailingAtStartUpLeavesTheMotorUnset) {
    RecordingPort port;
    port.FailAfter(0);
    SteppingController controller(port);
    try {
        controller.ResetMotor();
        FAIL() << "ResetMotor did not report the failed write";
    } catch (const PortError& e) {
        EXPECT_NE(std::string(e.what()).find(DescribeAddress(kDataRegister)), std::string::npos) << e.what();
    }
    EXPECT_THROW(controller.StepAngle(), std::logic_error);
}

TEST(SteppingController, APortFailingMidMoveIsReportedNotSwallowed) {
    Motor motor;
    motor.port.FailAfter(3);
    motor.controller.StepMotor("360");
    motor.controller.StepMotor("360");
    motor.controller.StepMotor("360");
    EXPECT_THROW(motor.controller.StepMotor("360"), PortError);
    EXPECT_EQ(motor.port.Values(), (Bytes{6, 12, 9}));
    EXPECT_EQ(motor.controller.CurrentStep(), 3) << "a step counted that never reached the coils";
}

TEST(SteppingController, MisuseBeforeStartUpIsALogicError) {
    RecordingPort port;
    SteppingController controller(port);
    EXPECT_THROW(controller.StepMotor("90"), std::logic_error);
    EXPECT_THROW((void)controller.HasArrived(), std::logic_error);
    EXPECT_TRUE(port.Writes().empty());
}

}  // namespace
}  // namespace stepdial
