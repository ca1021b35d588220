// Runs from a folder whose port library says its driver is not open.
#include <gtest/gtest.h>

#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

// A port that writes nothing is refused at the start-up write, and the library let go.
TEST(WindowsPortWithItsDriverClosed, TheStartUpWriteFailsWithTheDriversRemedy) {
    auto port = MakeHardwarePort();
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.code().value(), ERROR_SERVICE_NOT_ACTIVE);
    ExpectMentions(error.what(), {"I/O port 888 (0x378): " + kPortLibraryName + ": ",
                                  std::string(remedy::kOpenThePortDriver)});
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
