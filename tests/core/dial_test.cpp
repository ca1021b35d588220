#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
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
    explicit MotorAt(int step) {
        controller.ResetMotor();
        const std::string entry = FormatAngleText(step * 7.5);
        for (int i = 0; i < std::abs(step); ++i) controller.StepMotor(entry);
    }
    testing::RecordingPort port;
    SteppingController controller{port};
};

struct NeedleRow {
    int step;
    const char* readout;
    double x2, y2;
};

void PrintTo(const NeedleRow& row, std::ostream* os) { *os << "step " << row.step; }

class NeedleTable : public ::testing::TestWithParam<NeedleRow> {};

TEST_P(NeedleTable, EndPointAndReadoutFollowThePosition) {
    const NeedleRow row = GetParam();
    MotorAt at(row.step);
    ASSERT_EQ(at.controller.CurrentStep(), row.step);

    FakeLine line(1700, 2000);
    UpdateNeedle(at.controller, line);
    EXPECT_NEAR(line.x2_, row.x2, 0.0005);
    EXPECT_NEAR(line.y2_, row.y2, 0.0005);
    EXPECT_EQ(line.X1(), 1700);
    EXPECT_EQ(line.Y1(), 2000);

    FakeLabel label;
    UpdateReadout(at.controller, label);
    EXPECT_EQ(label.caption_, row.readout);
}

// 3.14 stands for pi: the needle is a little short of the true direction, and the
// figures show it (360 degrees is not quite back at 2900, 2000).
INSTANTIATE_TEST_SUITE_P(Positions, NeedleTable,
                         ::testing::Values(NeedleRow{0, "0", 2900.000, 2000.000},
                                           NeedleRow{1, "7.5", 2889.744, 2156.552},
                                           NeedleRow{12, "90", 1700.956, 3200.000},
                                           NeedleRow{24, "180", 500.002, 2001.911},
                                           NeedleRow{36, "270", 1697.133, 800.003},
                                           NeedleRow{48, "360", 2899.994, 1996.178},
                                           NeedleRow{-1, "-7.5", 2889.744, 1843.448}));

TEST(UpdateNeedle, StoresY2BeforeX2) {
    MotorAt at(5);
    FakeLine line(1700, 2000);
    UpdateNeedle(at.controller, line);
    EXPECT_EQ(line.stores_, (std::vector<std::string>{"Y2", "X2"}));
}

// Worked in double and rounded once when stored: worked in float, most end points
// between -2000 and 2000 steps come out a unit in the last place or more away.
TEST(UpdateNeedle, EndPointIsTheSinglePrecisionRoundingOfTheDoubleResult) {
    MotorAt at(-2000);
    FakeLine line(1700, 2000);
    int checked = 0;
    for (std::int64_t step = -2000; step <= 2000; ++step) {
        if (step > -2000) at.controller.StepMotor("15000");
        ASSERT_EQ(at.controller.CurrentStep(), step);
        UpdateNeedle(at.controller, line);
        const double theta = static_cast<double>(step) * 7.5 * 3.14 / 180;
        ASSERT_EQ(line.y2_, static_cast<float>(std::sin(theta) * layout::kNeedleLength + 2000.0)) << "step " << step;
        ASSERT_EQ(line.x2_, static_cast<float>(std::cos(theta) * layout::kNeedleLength + 1700.0)) << "step " << step;
        ++checked;
    }
    EXPECT_EQ(checked, 4001);
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
