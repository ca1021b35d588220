// Runs from a folder whose port library is a text file: Windows calls it invalid as it
// does a library of the other bitness, and the advice must not be the bitness's.
#include <gtest/gtest.h>

#include <string>

#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

TEST(WindowsPortWithALibraryThatIsNoProgram, TheStartUpWriteSaysSo) {
    auto port = MakeHardwarePort();
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.code().value(), ERROR_BAD_EXE_FORMAT);
    ExpectMentions(error.what(),
                   {"the library " + Utf8(ProgramFolder() / kPortLibraryName) + " is no Windows program",
                    "Replace it with the " + kBitness + " inpout " + kPortLibraryName + "."});
    EXPECT_EQ(std::string(error.what()).find("bitness than"), std::string::npos) << error.what();
}

}  // namespace
}  // namespace stepdial::testing
