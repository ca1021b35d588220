// Runs with the stand-in D2XX library beside the program, where it must never be taken, and
// copied into the system folder, where FTDI's driver puts the real one.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "motor/stepping_controller.h"
#include "ports/port_choice.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

using Lines = std::vector<std::string>;

std::filesystem::path SystemCopy() {
    wchar_t folder[MAX_PATH];
    ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::filesystem::path(folder) / "ftd2xx.dll";
}

class UsbBoardThroughD2xx : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::copy_file(ProgramFolder() / "ftd2xx.dll", SystemCopy(),
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(record_);
        ::SetEnvironmentVariableW(L"STEPDIAL_TEST_FTDI_RECORD", record_.wstring().c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableW(L"STEPDIAL_TEST_FTDI_FAIL", nullptr);
        std::filesystem::remove(SystemCopy());
        std::filesystem::remove(record_);
    }
    // What the library was asked, without the times.
    Lines Record() const {
        Lines lines;
        std::ifstream in(record_);
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.rfind(' ')));
        return lines;
    }

    const std::filesystem::path record_ =
        std::filesystem::temp_directory_path() / ("ftdi-" + std::to_string(::GetCurrentProcessId()) + ".txt");
};

TEST_F(UsbBoardThroughD2xx, TheListedBoardTakesWholeMovesOnD0ToD3InBitBangModeAndNothingAtTheEnd) {
    const auto board = ListUsbBoards().at(0);
    EXPECT_EQ(board.description + " " + board.serial + " " + board.busPlace, "FT232R USB UART STEP0001 0x21");
    for (const auto& [choice, opened] : {std::pair{UsbBoardChoice{"STEP0001", ""}, "open STEP0001"},
                                         std::pair{UsbBoardChoice{"", "0x21"}, "open 33"}}) {
        std::filesystem::remove(record_);
        {
            auto port = MakeUsbBoardPort(choice);
            SteppingController controller(*port);
            EXPECT_TRUE(Record().empty()) << "opened before the first write";
            controller.ResetMotor();
            for (const char* angle : {"30", "30", "30", "30", "0", "0", "0", "0"})
                controller.StepMotor(angle);
        }
        Lines expected = {opened, "bitmode 15 1"};
        for (int byte : {0, 6, 12, 9, 3, 9, 12, 6, 3}) expected.push_back("write " + std::to_string(byte));
        expected.push_back("close");
        EXPECT_EQ(Record(), expected);
    }
}

TEST_F(UsbBoardThroughD2xx, EachFailureNamesTheBoardAndSaysWhatToDo) {
    // The stand-in's failure, the board chosen, the steps that reached the lines, what to do, D2XX's status.
    const std::vector<std::tuple<const wchar_t*, UsbBoardChoice, std::int64_t, std::string_view, std::string>>
        cases = {
            {nullptr, {"NOSUCH1", ""}, 0, remedy::usb::kPlugInTheBoard, "FT_DEVICE_NOT_FOUND"},
            {nullptr, {"", "0x99"}, 0, remedy::usb::kPlugInTheBoard, "FT_DEVICE_NOT_FOUND"},
            {L"held", {"STEP0001", ""}, 0, remedy::usb::kCloseTheBoardsOtherProgram, "FT_DEVICE_NOT_OPENED"},
            {L"unplug-after-3", {"STEP0001", ""}, 2, remedy::usb::kPlugItInAgain, "FT_IO_ERROR"},
            // Only the copy planted beside the program is left, and it must not be taken.
            {L"no library", {"STEP0001", ""}, 0, remedy::usb::windows::kInstallFtdiDriver, "(error 126)"},
        };
    for (const auto& [fail, choice, stepsDone, remedy, status] : cases) {
        ::SetEnvironmentVariableW(L"STEPDIAL_TEST_FTDI_FAIL", fail);
        if (fail && std::wstring_view(fail) == L"no library") std::filesystem::remove(SystemCopy());
        auto port = MakeUsbBoardPort(choice);
        SteppingController controller(*port);
        try {
            controller.ResetMotor();
            for (int tick = 0; tick < 10; ++tick) controller.StepMotor("90");
            ADD_FAILURE() << status << ": no failure";
        } catch (const PortError& e) {
            EXPECT_EQ(e.remedy(), remedy);
            ExpectMentions(e.what(), {DescribeBoardChoice(choice), status});
        }
        EXPECT_EQ(controller.CurrentStep(), stepsDone) << "a step that never reached the lines";
    }
}

}  // namespace
}  // namespace stepdial::testing
