#include "open_advice.h"

#include <gtest/gtest.h>

namespace stepdial {
namespace {

// An open refused with EACCES: the advice follows from the node's mode, its ACL and this
// user's groups, never naming a group the user is already in.
struct AdviceCase {
    const char* name;
    mode_t mode;
    bool processHasGroup, userListedInGroup, hasAcl;
    OpenAdvice expected;
};

void PrintTo(const AdviceCase& c, std::ostream* os) { *os << c.name; }

class RefusedOpenAdvice : public ::testing::TestWithParam<AdviceCase> {};

TEST_P(RefusedOpenAdvice, ChoosesTheRemedyThatHelps) {
    const auto& c = GetParam();
    const NodeAccess access{"/dev/parport0", c.mode, "root", "lp", c.processHasGroup, c.userListedInGroup, c.hasAcl};
    EXPECT_EQ(ChooseOpenAdvice(access), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedOpenAdvice,
    ::testing::Values(
        // What the kernel makes where no udev rule applies: the user's lp membership is no use.
        AdviceCase{"RootOnlyUserInLp", 0600, true, true, false, OpenAdvice::OpenToOwnerAlone},
        AdviceCase{"RootOnlyUserOutsideLp", 0600, false, false, false, OpenAdvice::OpenToOwnerAlone},
        AdviceCase{"GroupNodeUserOutside", 0660, false, false, false, OpenAdvice::JoinGroup},
        AdviceCase{"JoinedSinceLogin", 0660, false, true, false, OpenAdvice::LogInAgain},
        AdviceCase{"InTheGroupAndStillRefused", 0660, true, true, false, OpenAdvice::AskTheAdministrator},
        AdviceCase{"SeatAclRootOnly", 0600, false, false, true, OpenAdvice::UseTheSeat},
        AdviceCase{"SeatAclGroupNodeUserOutside", 0660, false, false, true, OpenAdvice::JoinGroup},
        AdviceCase{"GroupMayOnlyRead", 0640, false, false, false, OpenAdvice::OpenToOwnerAlone}));

}  // namespace
}  // namespace stepdial
