#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "core/chosen_port_start.h"
#include "core/failure.h"
#include "core/motor_settings.h"
#include "core/port_settings.h"
#include "tests/support/recording_port.h"

namespace stepdial {
namespace {

using Output = PortChoice::Output;
namespace key = settings_key;

struct MemoryStore : SettingsStore {
    std::map<std::string, std::string> values;
    std::string Read(const std::string& k) const override { return values.contains(k) ? values.at(k) : ""; }
    void Write(const std::string& k, const std::string& value) override { values[k] = value; }
};

const PortChoice kBySerial{Output::UsbBoard, {"A50285BI", ""}};
const PortChoice kPiPins{Output::GpioLines, {}, {"pinctrl-bcm2711", {17, 18, 27, 22}}};

TEST(PortChoiceSaved, OnlyAWholeBoardChoiceDrivesABoard) {
    const std::vector<std::pair<std::map<std::string, std::string>, PortChoice>> cases = {
        {{}, {}},
        {{{key::kOutput, key::kUsbBoard}, {key::kSerial, "A50285BI"}, {key::kBusPlace, "1-1.4"}}, kBySerial},
        {{{key::kOutput, key::kUsbBoard}, {key::kBusPlace, "1-1.4"}}, {Output::UsbBoard, {"", "1-1.4"}}},
        {{{key::kOutput, key::kUsbBoard}}, {}},
        {{{key::kOutput, "usb"}, {key::kSerial, "A50285BI"}}, {}},
        {{{key::kOutput, key::kParallel}, {key::kSerial, "A50285BI"}}, {}},
        {{{key::kOutput, key::kGpioLinesOutput},
          {key::kGpioChip, "pinctrl-bcm2711"},
          {key::kGpioLines, "17,18,27,22"}},
         kPiPins},
        // No chip, three lines, five, a line that is no number: no line is requested.
        {{{key::kOutput, key::kGpioLinesOutput}, {key::kGpioLines, "17,18,27,22"}}, {}},
        {{{key::kOutput, key::kGpioLinesOutput}, {key::kGpioChip, "c"}, {key::kGpioLines, "17,18,27"}}, {}},
        {{{key::kOutput, key::kGpioLinesOutput}, {key::kGpioChip, "c"}, {key::kGpioLines, "1,2,3,4,5"}}, {}},
        {{{key::kOutput, key::kGpioLinesOutput}, {key::kGpioChip, "c"}, {key::kGpioLines, "1,-2,3,4"}}, {}},
    };
    for (const auto& [saved, expected] : cases) {
        MemoryStore store;
        store.values = saved;
        EXPECT_EQ(LoadPortChoice(store), expected) << ::testing::PrintToString(saved);
        SavePortChoice(store, expected);
        EXPECT_EQ(LoadPortChoice(store), expected);
    }
}

TEST(PortSettings, RowsNameTheDrivenParallelPortEveryBoardAndAChosenOneNotPluggedInAndOkSavesTheSelectedOne) {
    MemoryStore store;
    SavePortChoice(store, {Output::UsbBoard, {"FT9XYZ", ""}});
    const std::vector<UsbBoard> boards = {{"FT232R USB UART", "A50285BI", "1-1.4"},
                                          {"FT231X USB UART", "", "1-2"}};
    PortSettings settings(store, {{{"/dev/parport0", 0xd010, false}, {"/dev/parport1", 888, true}},
                                  boards,
                                  "ftd2xx.dll: not loadable"});
    const std::vector<std::string> rows = {"Parallel port /dev/parport1 at " + DescribeAddress(888) +
                                               "; also found, not used: /dev/parport0 at " +
                                               DescribeAddress(0xd010),
                                           DescribeBoard(boards[0]), DescribeBoard(boards[1]),
                                           DescribeBoardChoice({"FT9XYZ", ""}) +
                                               std::string(settings_text::kNotPluggedIn)};
    ASSERT_EQ(settings.Rows().size(), rows.size());
    for (std::size_t row = 0; row < rows.size(); ++row) EXPECT_EQ(settings.Rows()[row].text, rows[row]);
    EXPECT_EQ(settings.Selected(), 3u);
    EXPECT_EQ(settings.Note(), "ftd2xx.dll: not loadable");

    settings.Select(2);
    settings.Accept();
    EXPECT_EQ(LoadPortChoice(store), (PortChoice{Output::UsbBoard, {"", "1-2"}}));
}

TEST(PortSettings, AGpioChipsRowOffersItsFreeLinesAndTakesEachCoilsLineAndAnAbsentChipKeepsItsRow) {
    MemoryStore store;
    SavePortChoice(store, kPiPins);
    const GpioChip chip{"/dev/gpiochip0",
                        "9030000.pl061",
                        {{0}, {1}, {2}, {3, "", "GPIO Key Poweroff", true}, {4}}};
    PortSettings settings(store, {{}, {}, "", {chip, {"/dev/gpiochip1", "", {}, "Permission denied"}}});
    EXPECT_EQ(settings.Note(),
              "/dev/gpiochip1: Permission denied. " + std::string(remedy::gpio::kAllowTheChips));
    ASSERT_EQ(settings.Rows().size(), 3u);
    EXPECT_EQ(settings.Rows()[1].text,
              "GPIO chip 9030000.pl061: coils A to D on line 0, line 1, line 2, line 4");
    EXPECT_EQ(settings.Rows()[2].text,
              DescribeGpioChoice(kPiPins.gpio, {}) + std::string(settings_text::kNotPluggedIn));
    EXPECT_EQ(settings.Selected(), 2u);

    settings.Select(1);
    settings.ChooseGpioLine(0, 3);
    EXPECT_EQ(settings.Rows()[1].text,
              "GPIO chip 9030000.pl061: coils A to D on line 3, line 1, line 2, line 4");
    settings.Accept();
    EXPECT_EQ(LoadPortChoice(store), (PortChoice{Output::GpioLines, {}, {"9030000.pl061", {3, 1, 2, 4}}}));
}

TEST(StartOnChosenPort, ABoardThatCannotBeMadeFailsAtStartUpAndAnotherChoiceStartsAgain) {
    // The operator's answer to the box, whether the window ends with OK, and what follows.
    const std::vector<std::tuple<StartUpAnswer, bool, int, std::vector<PortChoice>>> cases = {
        {StartUpAnswer::Close, true, kFailureStatus, {kBySerial}},
        {StartUpAnswer::ChooseAnotherPort, false, kFailureStatus, {kBySerial}},
        {StartUpAnswer::ChooseAnotherPort, true, 0, {kBySerial, {}}},
    };
    for (const auto& [answer, ok, status, runs] : cases) {
        MemoryStore store;
        SavePortChoice(store, kBySerial);
        std::vector<PortChoice> opened;
        std::vector<std::string> failures;
        const auto open = [&](const PortChoice& choice) -> std::unique_ptr<Port> {
            opened.push_back(choice);
            if (choice.output == Output::UsbBoard)
                throw std::runtime_error(DescribeBoardChoice(choice.board));
            return std::make_unique<testing::RecordingPort>();
        };
        const auto runForm1 = [&](Port& port, StartUpAnswer& given) {
            try {
                port.Write(kDataRegister, 0);
                return 0;
            } catch (const std::exception& e) {
                failures.push_back(e.what());
                given = answer;
                return kFailureStatus;
            }
        };
        const auto window = [&, ok = ok] { return ok && (SavePortChoice(store, {}), true); };
        EXPECT_EQ(StartOnChosenPort(store, {open, runForm1, window}), status);
        EXPECT_EQ(opened, runs);
        EXPECT_EQ(failures, std::vector<std::string>{DescribeBoardChoice(kBySerial.board)});
    }
}

}  // namespace
}  // namespace stepdial

namespace stepdial {
namespace {

TEST(MotorSaved, EachBadValueFallsBackToTheDesignsOnItsOwn) {
    const MotorModel design;
    const std::vector<std::pair<std::map<std::string, std::string>, MotorModel>> cases = {
        {{}, design},
        {{{key::kStepsPerRevolution, "2048"}, {key::kDrive, "half-steps"}, {key::kStepsPerSecond, "500"}},
         {2048, Drive::HalfSteps, 500}},
        {{{key::kStepsPerRevolution, "3"}, {key::kDrive, "one-coil"}, {key::kStepsPerSecond, "16"}},
         {48, Drive::OneCoil, 16}},
        {{{key::kStepsPerRevolution, "100001"}, {key::kDrive, "wave"}, {key::kStepsPerSecond, "501"}},
         design},
        {{{key::kStepsPerRevolution, "200.5"}, {key::kStepsPerSecond, "1e2"}}, design},
    };
    for (const auto& [saved, expected] : cases) {
        MemoryStore store;
        store.values = saved;
        EXPECT_EQ(LoadMotor(store), expected) << ::testing::PrintToString(saved);
        SaveMotor(store, expected);
        EXPECT_EQ(LoadMotor(store), expected) << "saved and read back";
    }
}

TEST(MotorSettingsWindow, OkSavesOnlyWhatTheMotorAndTheTimerCanDo) {
    struct Case {
        const char* steps;
        const char* speed;
        std::chrono::nanoseconds resolution;
        bool saved;
        std::int32_t stepsSaved;
    };
    using std::chrono::milliseconds;
    for (const Case c :
         {Case{"4096: 28BYJ-48, half steps", "500", milliseconds(1), true, 4096},
          Case{" 200", "16", milliseconds(1), true, 200}, Case{"3", "64", milliseconds(1), false, 48},
          Case{"2048x", "64", milliseconds(1), false, 48}, Case{"48", "15", milliseconds(1), false, 48},
          Case{"48", "32", milliseconds(15) + std::chrono::microseconds(625), true, 48},
          Case{"48", "33", milliseconds(15) + std::chrono::microseconds(625), false, 48}}) {
        MemoryStore store;
        MotorSettings motor(store, c.resolution);
        EXPECT_EQ(motor.StepsText(), kStepsPresets[0].text);
        const std::string problem = motor.Accept(c.steps, 2, c.speed);
        EXPECT_EQ(problem.empty(), c.saved) << c.steps << " at " << c.speed << ": " << problem;
        EXPECT_EQ(LoadMotor(store).stepsPerRevolution, c.stepsSaved) << c.steps;
    }
}

}  // namespace
}  // namespace stepdial
