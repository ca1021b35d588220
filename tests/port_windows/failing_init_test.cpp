// Runs from a folder whose port library is there but cannot be loaded.
#include <gtest/gtest.h>

#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

class WindowsPortWithALibraryThatCannotLoad : public ::testing::TestWithParam<LibrarySearch> {};

// The library is where it belongs: moving it there is no remedy.
TEST_P(WindowsPortWithALibraryThatCannotLoad, TheStartUpWriteSaysItIsThereButCannotBeLoaded) {
    auto port = MakeWindowsPort(GetParam());
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.remedy(), remedy::windows::ReplaceTheUnloadable(kBitness, kPortLibraryName));
    ExpectMentions(error.what(), {DescribeAddress(888), Utf8(ProgramFolder() / kPortLibraryName), "(error 1114)"});
}

INSTANTIATE_TEST_SUITE_P(Searches, WindowsPortWithALibraryThatCannotLoad, kEverySearch);

}  // namespace
}  // namespace stepdial::testing
