#include "open_advice.h"

#include <gtest/gtest.h>

namespace stepdial {
namespace {

// A refused open's advice follows from the node's mode and ACL and the user's groups.
TEST(RefusedOpenAdvice, ChoosesTheRemedyThatHelps) {
    struct Case { const char* name; mode_t mode; bool processHasGroup, userListedInGroup, hasAcl; OpenAdvice expected; };
    for (const auto& c : {
             Case{"root only (no udev rule), user in lp", 0600, true, true, false, OpenAdvice::OpenToOwnerAlone},
             Case{"group may only read", 0640, false, false, false, OpenAdvice::OpenToOwnerAlone},
             Case{"group node, user outside", 0660, false, false, false, OpenAdvice::JoinGroup},
             Case{"joined since login", 0660, false, true, false, OpenAdvice::LogInAgain},
             Case{"in the group, still refused", 0660, true, true, false, OpenAdvice::AskTheAdministrator},
             Case{"seat ACL, user elsewhere", 0600, false, false, true, OpenAdvice::UseTheSeat}}) {
        const NodeAccess access{"/dev/parport0", c.mode, "root", "lp", c.processHasGroup, c.userListedInGroup, c.hasAcl};
        EXPECT_EQ(ChooseOpenAdvice(access), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace stepdial
