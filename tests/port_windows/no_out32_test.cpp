// Runs from a folder whose port library exports no Out32.
#include <gtest/gtest.h>

#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

TEST(WindowsPortWithoutOut32, TheStartUpWriteNamesTheMissingEntry) {
    auto port = MakeHardwarePort();
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.code().value(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(error.remedy(), remedy::windows::ReplaceWithOut32(kPortLibraryName));
    ExpectMentions(error.what(), {DescribeAddress(888), Utf8(ProgramFolder() / kPortLibraryName), "(error 127)"});
}

// A failed binding must not leave a half-bound port that a retry would call through.
TEST(WindowsPortWithoutOut32, TheLibraryIsReleasedAndARetryFailsTheSameWay) {
    auto port = MakeHardwarePort();
    const std::string first = FirstWriteError(*port).what();
    EXPECT_FALSE(PortLibraryLoaded());
    EXPECT_EQ(FirstWriteError(*port).what(), first);
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
