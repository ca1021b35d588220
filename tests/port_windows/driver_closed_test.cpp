// Runs from a folder whose port library says its kernel driver is not open.
#include <gtest/gtest.h>

#include "motor/driver_facts_windows.h"
#include "motor/driver_not_open.h"
#include "motor/hardware_port.h"
#include "tests/port_windows/windows_port_test_support.h"

namespace stepdial::testing {
namespace {

// Such a library takes every write and passes none on: the start-up write is refused
// with the advice that fits this Windows, and the library is let go. Wine has no such
// service, no memory integrity and runs as administrator.
TEST(WindowsPortWithItsDriverClosed, TheStartUpWriteIsRefusedWithTheRemedy) {
    auto port = MakeHardwarePort();
    const PortError error = FirstWriteError(*port);
    const DriverFacts facts = ReadDriverFacts();
    EXPECT_EQ(facts.state, DriverFacts::Service::Absent);
    EXPECT_EQ(error.code().value(), ERROR_SERVICE_DOES_NOT_EXIST);
    EXPECT_EQ(error.remedy(), DriverNotOpenError(888, kPortLibraryName, facts).remedy());
    ExpectMentions(error.what(), {"I/O port 888 (0x378): " + kPortLibraryName + ": ", "service inpout"});
    EXPECT_FALSE(PortLibraryLoaded());
}

struct DriverCase {
    const char* name;
    DriverFacts facts;
    DWORD code;
    std::string remedy;
    // Named in the test's output by its case, not by its bytes.
    friend void PrintTo(const DriverCase& c, std::ostream* os) { *os << c.name; }
};

class DriverNotOpenFor : public ::testing::TestWithParam<DriverCase> {};

// Each reason gives Windows' own code, the service's name and its own advice.
TEST_P(DriverNotOpenFor, GivesWindowsCodeAndTheAdviceThatFits) {
    const PortError error = DriverNotOpenError(888, kPortLibraryName, GetParam().facts);
    EXPECT_EQ(static_cast<DWORD>(error.code().value()), GetParam().code);
    EXPECT_EQ(error.remedy(), GetParam().remedy);
    ExpectMentions(error.what(), {"service " + GetParam().facts.service});
}

using Service = DriverFacts::Service;
INSTANTIATE_TEST_SUITE_P(
    Cases, DriverNotOpenFor,
    ::testing::Values(DriverCase{"MemoryIntegrity",
                                 {"inpoutx64", Service::Absent, 0, true, false},
                                 ERROR_SERVICE_DOES_NOT_EXIST,
                                 std::string(remedy::windows::kTurnOffMemoryIntegrity)},
                      DriverCase{"Blocklist",
                                 {"inpoutx64", Service::Present, 0x800B010C, false, true},
                                 0x800B010C,
                                 std::string(remedy::windows::kTurnOffTheBlocklist)},
                      DriverCase{"NeverInstalled",
                                 {"inpout32", Service::Absent, 0, false, false},
                                 ERROR_SERVICE_DOES_NOT_EXIST,
                                 std::string(remedy::windows::kOpenThePortDriver)},
                      DriverCase{"AbsentThoughElevated",
                                 {"inpoutx64", Service::Absent, 0, false, true},
                                 ERROR_SERVICE_DOES_NOT_EXIST,
                                 std::string(remedy::windows::kInstallTheDriverByHand)},
                      DriverCase{"StoppedWithoutACode",
                                 {"inpoutx64", Service::Present, 0, false, false},
                                 ERROR_SERVICE_NOT_ACTIVE,
                                 remedy::windows::SeeTheDriverService("inpoutx64")},
                      DriverCase{"AccessDenied",
                                 {"inpoutx64", Service::Unknown, ERROR_ACCESS_DENIED, false, false},
                                 ERROR_ACCESS_DENIED,
                                 remedy::windows::SeeTheDriverService("inpoutx64")}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace stepdial::testing
