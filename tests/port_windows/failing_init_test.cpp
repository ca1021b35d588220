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
    const std::string message = error.what();
    ExpectMentions(message, {"I/O port 888 (0x378): " + kPortLibraryName + ": ", "(error 1114)",
                             "the library " + Utf8(ProgramFolder() / kPortLibraryName) + " is there but cannot",
                             "Replace it with the " + kBitness + " inpout " + kPortLibraryName});
    EXPECT_EQ(message.find("Put "), std::string::npos) << message;
    EXPECT_EQ(message.find("Move "), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(Searches, WindowsPortWithALibraryThatCannotLoad, kEverySearch);

}  // namespace
}  // namespace stepdial::testing
