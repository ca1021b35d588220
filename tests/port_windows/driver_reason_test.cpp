// Which advice fits what Windows records of the port library's driver.
#include <gtest/gtest.h>

#include "motor/driver_reason.h"

namespace stepdial {
namespace {

using Service = DriverFacts::Service;

struct ReasonCase {
    const char* name;
    DriverFacts facts;
    DriverReason reason;
    // Named in the test's output by its case, not by its bytes.
    friend void PrintTo(const ReasonCase& c, std::ostream* os) { *os << c.name; }
};

class DriverReasonChoice : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(DriverReasonChoice, FitsWhatWindowsRecords) {
    EXPECT_EQ(ChooseDriverReason(GetParam().facts), GetParam().reason);
}

// facts: service, state, code, memory integrity, elevated.
INSTANTIATE_TEST_SUITE_P(Cases, DriverReasonChoice,
                         ::testing::Values(ReasonCase{"MemoryIntegrityBeforeAnyService",
                                                      {"inpoutx64", Service::Absent, 0, true, false},
                                                      DriverReason::MemoryIntegrity},
                                           ReasonCase{"MemoryIntegrityOverTheBlocklistsCode",
                                                      {"inpoutx64", Service::Present, 1275, true, true},
                                                      DriverReason::MemoryIntegrity},
                                           ReasonCase{"MemoryIntegrityWhenTheServiceCannotBeAsked",
                                                      {"inpoutx64", Service::Unknown, 5, true, false},
                                                      DriverReason::MemoryIntegrity},
                                           ReasonCase{"DriverBlocked",
                                                      {"inpoutx64", Service::Present, 1275, false, true},
                                                      DriverReason::Blocklist},
                                           ReasonCase{"InvalidImageHash",
                                                      {"inpout32", Service::Present, 577, false, false},
                                                      DriverReason::Blocklist},
                                           ReasonCase{"CertificateRevoked",
                                                      {"inpoutx64", Service::Present, 0x800B010C, false,
                                                       false},
                                                      DriverReason::Blocklist},
                                           ReasonCase{"NeverRunAsAdministrator",
                                                      {"inpoutx64", Service::Absent, 0, false, false},
                                                      DriverReason::NeverInstalled},
                                           ReasonCase{"AbsentThoughRunAsAdministrator",
                                                      {"inpoutx64", Service::Absent, 0, false, true},
                                                      DriverReason::AbsentThoughElevated},
                                           ReasonCase{"DriverFileMissing",
                                                      {"inpoutx64", Service::Present, 2, false, true},
                                                      DriverReason::Other},
                                           ReasonCase{"StoppedWithoutAnError",
                                                      {"inpoutx64", Service::Present, 0, false, false},
                                                      DriverReason::Other},
                                           // A code the service manager gave for itself is not the driver's.
                                           ReasonCase{"ServiceManagerRefusedWithABlockedCode",
                                                      {"inpoutx64", Service::Unknown, 1275, false, false},
                                                      DriverReason::Other},
                                           ReasonCase{"ServiceManagerDeniedAccess",
                                                      {"inpoutx64", Service::Unknown, 5, false, false},
                                                      DriverReason::Other}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace stepdial
