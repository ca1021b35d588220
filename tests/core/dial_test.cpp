#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "motor/angle_text.h"
#include "core/dial.h"
#include "core/layout.h"
#include "tests/support/recording_port.h"
#include "motor/stepping_controller.h"

namespace stepdial {
namespace {

// A line that logs the order in which its end point is stored.
class FakeLine : public LineControl {
public:
    FakeLine(float x1, float y1) : x1_(x1), y1_(y1) {}
    float X1() const override { return x1_; }
    float Y1() const override { return y1_; }
    void SetX2(float x2) override { x2_ = x2, stores_.push_back("X2"); }
    void SetY2(float y2) override { y2_ = y2, stores_.push_back("Y2"); }

    float x1_, y1_, x2_ = 2900, y2_ = 2000;
    std::vector<std::string> stores_;
};

class FakeLabel : public LabelControl {
public:
    void SetCaption(const std::string& caption) override { caption_ = caption; }
    std::string caption_ = "0";
};

// A controller standing at `step`, reached the way the window reaches it: one tick per step.
struct MotorAt {
    explicit MotorAt(int step, const MotorModel& model = {}) : controller(port, model) {
        controller.ResetMotor();
        const std::string entry = FormatAngleText(step * model.StepAngle());
        for (int i = 0; i < std::abs(step); ++i) controller.StepMotor(entry);
    }
    testing::RecordingPort port;
    SteppingController controller;
};

struct NeedleRow {
    int step;
    const char* readout;
    float x2, y2;
    std::int32_t stepsPerRevolution = 48;
};

void PrintTo(const NeedleRow& row, std::ostream* os) { *os << "step " << row.step; }

class NeedleTable : public ::testing::TestWithParam<NeedleRow> {};

TEST_P(NeedleTable, EndPointAndReadoutFollowThePosition) {
    const NeedleRow row = GetParam();
    MotorAt at(row.step, {.stepsPerRevolution = row.stepsPerRevolution});
    ASSERT_EQ(at.controller.CurrentStep(), row.step);

    FakeLine line(1700, 2000);
    UpdateNeedle(at.controller, line);
    EXPECT_EQ(line.x2_, row.x2);
    EXPECT_EQ(line.y2_, row.y2);

    FakeLabel label;
    UpdateReadout(at.controller, label);
    EXPECT_EQ(label.caption_, row.readout);
}

// 3.14 stands for pi: the needle is a little short of the true direction, and the
// figures show it (360 degrees is not quite back at 2900, 2000). Each end point is the
// true result rounded once to single precision; worked in float, 180 degrees would give
// x2 = 500.001465 and 360 degrees y2 = 1996.17786.
INSTANTIATE_TEST_SUITE_P(Positions, NeedleTable,
                         ::testing::Values(NeedleRow{0, "0", 2900.0f, 2000.0f},
                                           NeedleRow{1, "7.5", 2889.74414f, 2156.55249f},
                                           NeedleRow{12, "90", 1700.95557f, 3199.99951f},
                                           NeedleRow{24, "180", 500.001526f, 2001.91113f},
                                           NeedleRow{36, "270", 1697.13318f, 800.003418f},
                                           NeedleRow{48, "360", 2899.9939f, 1996.17761f},
                                           NeedleRow{-1, "-7.5", 2889.74414f, 1843.44751f},
                                           NeedleRow{2000, "15000", 967.753418f, 1049.30811f},
                                           // The shaft's angle on other motors, the same 3.14.
                                           NeedleRow{512, "90", 1700.95557f, 3199.99951f, 2048},
                                           NeedleRow{511, "89.82", 1704.63525f, 3199.99097f, 2048},
                                           NeedleRow{1, "0.09", 2899.99854f, 2001.83984f, 4096},
                                           NeedleRow{-13, "-23.4", 2801.4043f, 1523.65051f, 200}));

TEST(UpdateNeedle, StoresY2BeforeX2) {
    MotorAt at(5);
    FakeLine line(1700, 2000);
    UpdateNeedle(at.controller, line);
    EXPECT_EQ(line.stores_, (std::vector<std::string>{"Y2", "X2"}));
}

TEST(UpdateNeedle, RefusesAnInvalidOperation) {
    MotorAt at(3);
    FakeLine line(std::numeric_limits<float>::quiet_NaN(), 2000);
    EXPECT_THROW(UpdateNeedle(at.controller, line), std::range_error);
    // Y2 was good and is stored; X2 is not.
    EXPECT_EQ(line.stores_, std::vector<std::string>{"Y2"});
}

// A coordinate that is not a finite float fails the tick instead of being stored.
TEST(UpdateNeedle, RefusesAnInfiniteCoordinate) {
    MotorAt at(0);
    FakeLine line(1700, std::numeric_limits<float>::infinity());
    try {
        UpdateNeedle(at.controller, line);
        FAIL() << "stored Y2 = " << line.y2_;
    } catch (const std::range_error& e) {
        EXPECT_NE(std::string(e.what()).find("Y2"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("overflow"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(line.stores_.empty()) << "nothing may be stored by a failing tick";
}

}  // namespace
}  // namespace stepdial
