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
    // Wine 8 runs a program elevated, Wine 10 with a limited token: either no-service advice.
    EXPECT_TRUE(error.remedy() == remedy::windows::kInstallTheDriverByHand ||
                error.remedy() == remedy::windows::kOpenThePortDriver)
        << error.remedy();
    EXPECT_FALSE(PortLibraryLoaded());
}

}  // namespace
}  // namespace stepdial::testing
