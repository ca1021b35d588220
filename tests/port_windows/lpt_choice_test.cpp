// Which parallel port the Windows backend writes to, from what Plug and Play lists.
#include <gtest/gtest.h>

#include "motor/lpt_choice.h"
#include "motor/port.h"
#include "motor/port_error.h"

namespace stepdial {
namespace {

struct LptCase {
    LptListing listing;
    std::uint16_t address;
    std::string port;
    std::string said;  // what the choice must say of the ports listed, when none was taken
};

class LptChoiceFrom : public ::testing::TestWithParam<LptCase> {};

TEST_P(LptChoiceFrom, TakesThePortTheLinuxRuleTakes) {
    const LptChoice choice = ChooseLpt(GetParam().listing, kDataRegister);
    EXPECT_EQ(choice.address, GetParam().address);
    EXPECT_EQ(DescribeLptDevice(choice, "inpoutx64.dll"),
              GetParam().port.empty() ? "inpoutx64.dll" : GetParam().port + ": inpoutx64.dll");
    EXPECT_EQ(choice.unresolved.empty(), GetParam().said.empty()) << choice.unresolved;
    EXPECT_NE(choice.unresolved.find(GetParam().said), std::string::npos) << choice.unresolved;
}

const ListedLpt kNoRange{1, std::nullopt};
INSTANTIATE_TEST_SUITE_P(
    Cases, LptChoiceFrom,
    ::testing::Values(LptCase{{{{1, 888}}, ""}, 888, "LPT1", ""},
                      LptCase{{{{3, 0xd010}}, ""}, 0xd010, "LPT3", ""},
                      LptCase{{{{1, 0xd010}, {2, 888}}, ""}, 888, "LPT2", ""},
                      LptCase{{{{4, 0xd010}, {2, 0xe000}}, ""}, 0xe000, "LPT2", ""},
                      LptCase{{{}, ""}, 888, "", ""},
                      LptCase{{{kNoRange, {2, 0xe000}}, ""}, 888, "", DescribeLpt(kNoRange)},
                      LptCase{{{kNoRange, {2, 888}}, ""}, 888, "LPT2", ""},
                      LptCase{{{}, "Access is denied (error 5)"}, 888, "", "Access is denied (error 5)"}));

TEST(LptNaming, GivesTheBaseAsEveryMessageDoes) {
    EXPECT_EQ(DescribeLpt({3, 0xd010}), "LPT3 at " + DescribeAddress(0xd010));
}

}  // namespace
}  // namespace stepdial
