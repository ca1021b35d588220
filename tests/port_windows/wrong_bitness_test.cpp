// Runs from a folder whose port library is built for the other bitness.
#include <gtest/gtest.h>

#include <string>

#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

TEST(WindowsPortWithALibraryOfTheOtherBitness, TheStartUpWriteAsksForOneOfThisBitness) {
    auto port = MakeHardwarePort();
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.code().value(), ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ(error.remedy(), remedy::windows::PutTheRightBitness(kBitness, kPortLibraryName, Utf8(ProgramFolder())));
    ExpectMentions(error.what(), {DescribeAddress(888), kPortLibraryName, "(error 193)"});
    // The system's text names the file through an insert, which must not show raw.
    EXPECT_EQ(std::string(error.what()).find("%1"), std::string::npos) << error.what();
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
