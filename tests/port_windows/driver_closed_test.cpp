// Runs from a folder whose port library says its kernel driver is not open.
#include <gtest/gtest.h>

#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

// Such a library takes every write and passes none on: the start-up write is refused
// with what the operator can do, and the library is let go. (Wine: no service, elevated.)
TEST(WindowsPortWithItsDriverClosed, TheStartUpWriteIsRefusedWithTheRemedy) {
    auto port = MakeHardwarePort();
    const PortError error = FirstWriteError(*port);
    EXPECT_EQ(error.code().value(), ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_EQ(error.remedy(), remedy::windows::kInstallTheDriverByHand);
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
