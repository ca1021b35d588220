#include "motor/open_advice.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>

namespace stepdial {
namespace {

// A refused open's advice follows from the node's mode and ACL and the user's groups.
TEST(RefusedOpenAdvice, ChoosesTheRemedyThatHelps) {
    // Node, mode, owner, group; whether the process has the group, the user is listed in it, an ACL.
    // The first row is the node the kernel makes where no udev rule applies: lp is no use then.
    const std::pair<NodeAccess, OpenAdvice> rows[] = {
        {{"/dev/parport0", 0600, "root", "lp", true, true, false}, OpenAdvice::OpenToOwnerAlone},
        {{"/dev/parport0", 0660, "root", "lp", false, false, false}, OpenAdvice::JoinGroup},
        {{"/dev/parport0", 0660, "root", "lp", false, true, false}, OpenAdvice::LogInAgain},
        {{"/dev/parport0", 0660, "root", "lp", true, true, false}, OpenAdvice::AskTheAdministrator},
        {{"/dev/parport0", 0600, "root", "lp", false, false, true}, OpenAdvice::UseTheSeat}};
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(ChooseOpenAdvice(rows[i].first), rows[i].second) << i;
}

}  // namespace
}  // namespace stepdial
