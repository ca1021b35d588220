// Runs from a folder that holds the stand-in port library beside the program.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "motor/hardware_port.h"
#include "motor/stepping_controller.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

using Calls = std::vector<std::pair<int, int>>;

// Ticks until the controller arrives; a move that never arrives fails instead of hanging.
void MoveTo(SteppingController& controller, const char* angle) {
    for (int tick = 0; tick < 1000; ++tick) {
        controller.StepMotor(angle);
        if (controller.HasArrived()) return;
    }
    FAIL() << "no arrival at " << angle << " within 1000 ticks";
}

class WindowsPortBindingBy : public ::testing::TestWithParam<LibrarySearch> {};

TEST_P(WindowsPortBindingBy, TheLibraryBesideTheProgramIsBoundAtTheFirstWriteAndNotBefore) {
    PortRecord record("binding");
    auto port = MakeWindowsPort(GetParam());
    SteppingController controller(*port);
    EXPECT_FALSE(PortLibraryLoaded()) << "loaded before any write";
    EXPECT_FALSE(record.Exists());

    controller.ResetMotor();

    ASSERT_TRUE(PortLibraryLoaded());
    std::wstring loaded(32768, L'\0');
    loaded.resize(::GetModuleFileNameW(::GetModuleHandleW(kPortLibrary), loaded.data(),
                                       static_cast<DWORD>(loaded.size())));
    EXPECT_EQ(std::filesystem::path(loaded).parent_path(), ProgramFolder());
    EXPECT_EQ(record.Calls(), (Calls{{888, 0}}));
}

INSTANTIATE_TEST_SUITE_P(Searches, WindowsPortBindingBy, kEverySearch);

TEST(WindowsPortBinding, TheStartUpByteAndWholeMovesReachTheDataRegister) {
    PortRecord record("moves");
    auto port = MakeHardwarePort();
    SteppingController controller(*port);
    controller.ResetMotor();
    const HMODULE boundAtStartUp = ::GetModuleHandleW(kPortLibrary);

    MoveTo(controller, "30");
    MoveTo(controller, "0");

    Calls expected;
    for (int byte : {0, 6, 12, 9, 3, 9, 12, 6, 3}) expected.emplace_back(888, byte);
    EXPECT_EQ(record.Calls(), expected);
    // One binding serves every write: the library was not loaded again or replaced.
    EXPECT_EQ(::GetModuleHandleW(kPortLibrary), boundAtStartUp);
}

TEST(WindowsPortBinding, ThePortReleasesTheLibraryWhenItGoes) {
    PortRecord record("release");
    {
        auto port = MakeHardwarePort();
        port->Write(888, 0);
        ASSERT_TRUE(PortLibraryLoaded());
    }
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
