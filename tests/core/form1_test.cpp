#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/form1.h"
#include "tests/support/recording_port.h"

namespace stepdial {
namespace {

using testing::RecordingPort;

// The window's controls as plain values, and a log of what the handlers did to them in
// order, so the tick's order of work can be read back.
struct FakeControls : Form1Controls, LabelControl {
    std::string text = "360";
    bool timer = layout::kTimer1.enabled;
    NeedleLine line;
    std::string caption = "0";
    std::vector<std::string> reports;
    std::vector<std::string> log;

    std::string Text1Text() const override { return text; }
    void SetTimer1Enabled(bool enabled) override {
        timer = enabled;
        log.push_back(enabled ? "timer on" : "timer off");
    }
    LineControl& Line1Control() override { return line; }
    LabelControl& Label2Control() override { return *this; }
    void SetCaption(const std::string& c) override {
        caption = c;
        log.push_back("readout " + c);
    }
    void ReportFailure(const std::string& message) override {
        reports.push_back(message);
        log.push_back("report");
    }
};

struct LoadedForm {
    LoadedForm() {
        line.OnMoved([this](const NeedleLine::Points&) { controls.log.push_back("needle"); });
        form.Run(&Form1::Form_Load);
    }
    RecordingPort port;
    FakeControls controls;
    NeedleLine& line = controls.line;
    Form1 form{port, controls};

    int TicksToArrival(int limit = 1000) {
        int ticks = 0;
        for (; controls.timer && ticks < limit; ++ticks) form.Run(&Form1::Timer1_Timer);
        return ticks;
    }
};

TEST(Form1Handlers, LoadWritesZeroAndStopsTheDesignsRunningTimer) {
    RecordingPort port;
    FakeControls controls;
    Form1 form(port, controls);
    EXPECT_TRUE(form.Moving()) << "the timer is enabled as designed until Form_Load";
    form.Run(&Form1::Form_Load);
    EXPECT_FALSE(form.Moving());
    EXPECT_FALSE(controls.timer);
    EXPECT_EQ(port.Values(), std::vector<std::uint8_t>{0});
}

// A tick steps, then turns the needle (Y2 before X2), then the readout, then stops the
// timer on arrival: the dial shows the position the port was given.
TEST(Form1Handlers, ATickStepsThenDrawsThenStopsOnArrival) {
    LoadedForm f;
    f.controls.text = "7.5";
    f.form.Run(&Form1::Command1_Click);
    f.controls.log.clear();
    f.form.Run(&Form1::Timer1_Timer);
    EXPECT_EQ(f.controls.log, (std::vector<std::string>{"needle", "needle", "readout 7.5", "timer off"}));
    EXPECT_EQ(f.port.Values(), (std::vector<std::uint8_t>{0, 6}));
    EXPECT_FALSE(f.form.Moving());
}

// The state machine: idle until clicked, a second click changes nothing, arrival idles.
TEST(Form1Handlers, ClicksAndArrivalSwitchBetweenIdleAndMoving) {
    LoadedForm f;
    f.controls.text = "90";
    f.form.Run(&Form1::Command1_Click);
    EXPECT_TRUE(f.form.Moving());
    f.form.Run(&Form1::Timer1_Timer);
    const auto writes = f.port.Writes().size();
    f.form.Run(&Form1::Command1_Click);
    EXPECT_TRUE(f.form.Moving());
    EXPECT_EQ(f.port.Writes().size(), writes) << "a click writes nothing";
    EXPECT_EQ(f.TicksToArrival(), 11);
    EXPECT_FALSE(f.form.Moving());
    EXPECT_EQ(f.controls.caption, "90");
    EXPECT_EQ(f.form.Controller().CurrentStep(), 12);
}

// The entry is read at every tick: typing 180 while the motor runs passes through 1, within
// a step of which the motor arrives and the timer stops; the rest of the typing moves
// nothing until the button is pressed again.
TEST(Form1Handlers, ArrivalAtATargetTypedOnTheWayStopsTheTimer) {
    LoadedForm f;
    f.form.Run(&Form1::Command1_Click);
    for (int i = 0; i < 3; ++i) f.form.Run(&Form1::Timer1_Timer);
    f.controls.text = "1";
    EXPECT_EQ(f.TicksToArrival(), 2);
    EXPECT_EQ(f.form.Controller().CurrentStep(), 1);
    f.controls.text = "180";
    EXPECT_FALSE(f.form.Moving());
    f.form.Run(&Form1::Command1_Click);
    EXPECT_EQ(f.TicksToArrival(), 23);
    EXPECT_EQ(f.form.Controller().CurrentStep(), 24);
}

struct FailureCase {
    const char* name;
    std::size_t goodWrites;  // writes that succeed before the port fails
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class Form1Failure : public ::testing::TestWithParam<FailureCase> {};

// However the failure comes, and however often the operator presses the button after it,
// the failure is told once, on standard error and in the report, the timer stops, the
// status is 1, and nothing runs afterwards.
TEST_P(Form1Failure, ReportsOnceStopsTheTimerAndRunsNothingAfter) {
    RecordingPort port;
    port.FailAfter(GetParam().goodWrites);
    FakeControls controls;
    controls.text = "90";
    Form1 form(port, controls);
    ::testing::internal::CaptureStderr();
    form.Run(&Form1::Form_Load);
    for (int i = 0; i < 20; ++i) {
        form.Run(&Form1::Command1_Click);
        form.Run(&Form1::Timer1_Timer);
    }
    const std::string stderrText = ::testing::internal::GetCapturedStderr();

    ASSERT_EQ(controls.reports.size(), 1u);
    EXPECT_NE(controls.reports[0].find(DescribeAddress(kDataRegister)), std::string::npos) << controls.reports[0];
    EXPECT_EQ(stderrText, "stepdial: " + controls.reports[0] + "\n");
    EXPECT_TRUE(form.Failed());
    EXPECT_EQ(form.ExitStatus(), 1);
    EXPECT_FALSE(controls.timer);
    EXPECT_FALSE(form.Moving());
    EXPECT_EQ(port.Writes().size(), GetParam().goodWrites) << "no write after the failure";
    EXPECT_EQ(controls.log.back(), "report") << "nothing touched the window after the report";
}

INSTANTIATE_TEST_SUITE_P(Handlers, Form1Failure,
                         ::testing::Values(FailureCase{"AtStartUp", 0}, FailureCase{"OnTheFirstTick", 1},
                                           FailureCase{"MidMove", 5}));

}  // namespace
}  // namespace stepdial
