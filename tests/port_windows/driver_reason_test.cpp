// The advice for a closed port driver, and Windows' code, from what Windows records. A code
// the service manager gives for itself (Unknown) is never the driver's exit code.
#include <gtest/gtest.h>

#include "motor/driver_reason.h"

namespace stepdial {
namespace {

using enum DriverFacts::Service;
using enum DriverReason;

struct ReasonCase {
    DriverFacts facts;  // service, state, code, memory integrity, elevated
    DriverReason reason;
    std::uint32_t code;
};

class DriverReasonFrom : public ::testing::TestWithParam<ReasonCase> {};

TEST_P(DriverReasonFrom, FitsWhatWindowsRecords) {
    EXPECT_EQ(ChooseDriverReason(GetParam().facts), GetParam().reason);
    EXPECT_EQ(DriverServiceCode(GetParam().facts), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DriverReasonFrom,
    ::testing::Values(ReasonCase{{"inpoutx64", Absent, 0, true, false}, MemoryIntegrity, 1060},
                      ReasonCase{{"inpoutx64", Present, 1275, true, true}, MemoryIntegrity, 1275},
                      ReasonCase{{"inpoutx64", Unknown, 5, true, false}, MemoryIntegrity, 5},
                      ReasonCase{{"inpoutx64", Present, 1275, false, true}, Blocklist, 1275},
                      ReasonCase{{"inpout32", Present, 577, false, false}, Blocklist, 577},
                      ReasonCase{{"inpoutx64", Present, 0x800B010C, false, false}, Blocklist, 0x800B010C},
                      ReasonCase{{"inpoutx64", Absent, 0, false, false}, NeverInstalled, 1060},
                      ReasonCase{{"inpoutx64", Absent, 0, false, true}, AbsentThoughElevated, 1060},
                      ReasonCase{{"inpoutx64", Present, 2, false, true}, Other, 2},
                      ReasonCase{{"inpoutx64", Present, 0, false, false}, Other, 1062},
                      ReasonCase{{"inpoutx64", Unknown, 1275, false, false}, Other, 1275}));

}  // namespace
}  // namespace stepdial
