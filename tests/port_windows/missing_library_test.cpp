// Runs from a folder with no port library, and none in the current directory either.
#include <gtest/gtest.h>

#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

class WindowsPortWithoutLibraryFoundBy : public ::testing::TestWithParam<LibrarySearch> {};

TEST_P(WindowsPortWithoutLibraryFoundBy, TheStartUpWriteTellsWhereToPutTheLibrary) {
    auto port = MakeWindowsPort(GetParam());
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.code().value(), ERROR_MOD_NOT_FOUND);
    EXPECT_EQ(error.remedy(), remedy::windows::PutTheLibrary(kPortLibraryName, Utf8(ProgramFolder())));
    ExpectMentions(error.what(), {DescribeAddress(888), kPortLibraryName, "(error 126)"});
}

INSTANTIATE_TEST_SUITE_P(Searches, WindowsPortWithoutLibraryFoundBy, kEverySearch);

TEST(WindowsPortWithoutLibrary, EveryLaterWriteFailsTheSameWay) {
    auto port = MakeHardwarePort();
    const std::string first = FirstWriteError(*port).what();
    EXPECT_EQ(FirstWriteError(*port).what(), first);
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
