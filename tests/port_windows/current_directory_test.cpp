// Runs from a folder with no port library, with the current directory set to another
// folder that holds the stand-in: the library a user (or an intruder) left there.
#include <gtest/gtest.h>

#include <filesystem>

#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

class WindowsPortWithTheLibraryInTheCurrentDirectory : public ::testing::TestWithParam<LibrarySearch> {};

TEST_P(WindowsPortWithTheLibraryInTheCurrentDirectory, ItIsNeverLoadedFromThere) {
    ASSERT_TRUE(std::filesystem::exists(kPortLibraryName)) << "the test needs the stand-in in its current directory";
    PortRecord record("planted");
    auto port = MakeWindowsPort(GetParam());
    const PortError error = FirstWriteError(*port);

    EXPECT_FALSE(PortLibraryLoaded());
    EXPECT_FALSE(record.Exists()) << "the library in the current directory ran";
    EXPECT_EQ(error.code().value(), ERROR_MOD_NOT_FOUND);
    const auto planted = std::filesystem::absolute(kPortLibraryName);
    EXPECT_EQ(error.remedy(), remedy::windows::MoveIntoTheProgramsFolder(kPortLibraryName, Utf8(ProgramFolder())));
    ExpectMentions(error.what(), {DescribeAddress(888), kPortLibraryName, Utf8(planted), "(error 126)"});
}

INSTANTIATE_TEST_SUITE_P(Searches, WindowsPortWithTheLibraryInTheCurrentDirectory, kEverySearch);

}  // namespace
}  // namespace stepdial::testing
