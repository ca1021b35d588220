#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sim/simulated_port.h"
#include "motor/stepping_controller.h"
#include "sim/virtual_motor.h"

namespace stepdial {
namespace {

// What the operator does: an entry held for a number of ticks (the window ticks until
// arrival, or until the operator types something else).
struct Entry {
    std::string text;
    int ticks;
};

struct ControllerMove {
    const char* name;
    std::vector<Entry> entries;
    std::int64_t finalStep;
    MotorModel model = {};
};

void PrintTo(const ControllerMove& m, std::ostream* os) { *os << m.name; }

class RotorFollowsController : public ::testing::TestWithParam<ControllerMove> {};

TEST_P(RotorFollowsController, OnEveryTickWithoutStalling) {
    VirtualMotor motor(GetParam().model);
    SimulatedPort port(motor);
    SteppingController controller(port, GetParam().model);
    controller.ResetMotor();

    int tick = 0;
    for (const Entry& entry : GetParam().entries) {
        for (int i = 0; i < entry.ticks; ++i, ++tick) {
            controller.StepMotor(entry.text);
            ASSERT_EQ(motor.AngleDegrees(),
                      static_cast<double>(controller.CurrentStep()) * controller.StepAngle())
                << "tick " << tick << ", entry " << entry.text;
            ASSERT_EQ(motor.Stalls(), 0u) << "tick " << tick;
        }
    }
    EXPECT_EQ(controller.CurrentStep(), GetParam().finalStep);
    EXPECT_EQ(motor.Writes(), static_cast<std::uint64_t>(tick) + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, RotorFollowsController,
    ::testing::Values(
        ControllerMove{"UpThenBackToZero", {{"360", 48}, {"0", 48}}, 0},
        ControllerMove{"UpThroughZeroToNegative", {{"90", 12}, {"-90", 24}}, -12},
        ControllerMove{"NegativeBackUpThroughZero", {{"-97.5", 13}, {"30", 17}}, 4},
        ControllerMove{"TwoTurnsDownThenThreeUp", {{"-720", 96}, {"360", 144}}, 48},
        ControllerMove{"ChangeOfDirectionMidMove", {{"360", 10}, {"0", 10}}, 0},
        ControllerMove{"ChangeOfDirectionBelowZero", {{"-360", 7}, {"360", 20}}, 13},
        ControllerMove{"FractionalTargetsAndRepeatedPresses",
                       {{"100", 13}, {"100", 3}, {"3.75", 20}, {"3.75", 2}},
                       0},
        ControllerMove{"EntryEmptiedWhileRunning", {{"180", 9}, {"", 9}}, 0},
        // The rotor follows the other drives from the first step, through zero both ways.
        ControllerMove{"HalfStepsOfAGearedMotor", {{"-1", 12}, {"1", 30}}, 11, {4096, Drive::HalfSteps}},
        ControllerMove{"OneCoilOnAHybrid", {{"-9", 5}, {"9", 12}}, 5, {200, Drive::OneCoil}}));

// Writes straight to the coils, starting from the rotor at 0 (pattern 3's full step).
struct CoilSequence {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::int64_t halfSteps;
    std::uint64_t steps;
    std::uint64_t stalls;
};

void PrintTo(const CoilSequence& s, std::ostream* os) { *os << s.name; }

class CoilResponse : public ::testing::TestWithParam<CoilSequence> {};

TEST_P(CoilResponse, RotorPositionAndCounts) {
    VirtualMotor motor;
    for (std::uint8_t byte : GetParam().bytes) motor.Apply(byte);
    EXPECT_EQ(motor.HalfSteps(), GetParam().halfSteps);
    EXPECT_EQ(motor.Steps(), GetParam().steps);
    EXPECT_EQ(motor.Stalls(), GetParam().stalls);
    EXPECT_EQ(motor.Writes(), GetParam().bytes.size());
    if (!GetParam().bytes.empty()) {
        EXPECT_EQ(motor.LastByte(), GetParam().bytes.back());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, CoilResponse,
    ::testing::Values(
        CoilSequence{"NothingWritten", {}, 0, 0, 0},
        CoilSequence{"FullStepsForward", {6, 12, 9, 3, 6}, 10, 5, 0},
        CoilSequence{"FullStepsBackward", {9, 12, 6, 3, 9}, -10, 5, 0},
        // The start-up field pulls the rotor to where it already stands.
        CoilSequence{"PatternOfTheRestingPositionHolds", {3, 3, 3}, 0, 0, 0},
        // Two full steps in one write: the field stands opposite the rotor.
        CoilSequence{"SkippedPhaseStalls", {12}, 0, 0, 1},
        CoilSequence{"SkippedPhaseMidRunStallsThenRunResumes", {6, 9, 12, 9, 3}, 8, 4, 1},
        CoilSequence{"EveryWriteOfAnOppositeFieldStalls", {6, 6, 9, 9, 9}, 2, 1, 3},
        CoilSequence{"SkippedPhaseBackwardStalls", {9, 6}, -2, 1, 1},
        // All coils off: no torque, the rotor keeps its place, and the next field is
        // measured from there.
        CoilSequence{"AllOffHolds", {6, 0}, 2, 1, 0},
        CoilSequence{"AllOffThenNextPhase", {6, 0, 0, 12}, 4, 2, 0},
        CoilSequence{"AllOffThenSkippedPhaseStillStalls", {6, 0, 9}, 2, 1, 1},
        // Opposite coils cancel, three or four coils give no single pull.
        CoilSequence{"OppositeCoilsHold", {6, 5, 10}, 2, 1, 0},
        CoilSequence{"ThreeOrFourCoilsHold", {6, 7, 14, 15}, 2, 1, 0},
        // One coil alone pulls half a step away from the full steps either side of it.
        CoilSequence{"SingleCoilBIsHalfAStepForward", {2}, 1, 1, 0},
        CoilSequence{"SingleCoilAIsHalfAStepBackward", {1}, -1, 1, 0},
        CoilSequence{"HalfSteppingForwardOneElectricalTurn", {2, 6, 4, 12, 8, 9, 1, 3}, 8, 8, 0},
        CoilSequence{"HalfSteppingBackwardOneElectricalTurn", {1, 9, 8, 12, 4, 6, 2, 3}, -8, 8, 0},
        // Three half steps is still less than half an electrical turn.
        CoilSequence{"SingleCoilOneAndAHalfStepsAway", {4}, 3, 1, 0},
        CoilSequence{"SingleCoilOppositeStalls", {2, 8}, 1, 1, 1},
        // Bits 4 to 7 reach no coil.
        CoilSequence{"HighBitsDriveNoCoil", {0xF6, 0x10, 0x8C}, 4, 2, 0}));

}  // namespace
}  // namespace stepdial
