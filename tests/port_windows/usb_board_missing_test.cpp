// Runs with no D2XX library in the system folder, and the stand-in planted beside the
// program, where it must not be taken.
#include <gtest/gtest.h>
#include <windows.h>

#include "ports/usb_board.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

TEST(UsbBoardWithoutFtdiDriver, ListingAndOpeningSayTheDriverIsMissingAndThePlantedCopyIsNotRun) {
    ASSERT_TRUE(std::filesystem::exists(ProgramFolder() / "ftd2xx.dll"));
    PortError errors[] = {PortError({}, "", "", ""), PortError({}, "", "", "")};
    try {
        ListUsbBoards();
        ADD_FAILURE() << "boards listed without the library";
    } catch (const PortError& e) {
        errors[0] = e;
    }
    errors[1] = FirstWriteError(*MakeUsbBoardPort({"STEP0001", ""}));
    for (const PortError& e : errors) {
        EXPECT_EQ(e.remedy(), remedy::usb::windows::kInstallFtdiDriver);
        ExpectMentions(e.what(), {"ftd2xx.dll", "(error 126)"});
    }
    EXPECT_EQ(::GetModuleHandleW(L"ftd2xx.dll"), nullptr);
}

}  // namespace
}  // namespace stepdial::testing
