// Runs from a folder whose inpoutx64.dll is a 32-bit build.
#include <gtest/gtest.h>

#include <string>

#include "hardware_port.h"
#include "windows_port_test_support.h"

namespace stepdial::testing {
namespace {

TEST(WindowsPortWithA32BitLibrary, TheStartUpWriteAsksForThe64BitOne) {
    auto port = MakeHardwarePort();
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.code().value(), ERROR_BAD_EXE_FORMAT);
    ExpectMentions(error.what(),
                   {"I/O port 888 (0x378): inpoutx64.dll: ",
                    "the library is built for another bitness than this 64-bit program", "(error 193)",
                    "Put the 64-bit inpoutx64.dll in " + Utf8(ProgramFolder()) + "."});
    // The system's text names the file through an insert, which must not show raw.
    EXPECT_EQ(std::string(error.what()).find("%1"), std::string::npos) << error.what();
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
