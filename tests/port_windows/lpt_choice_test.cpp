// Which parallel port the Windows backend writes to, from what Plug and Play lists.
#include <gtest/gtest.h>

#include <string>

#include "motor/lpt_choice.h"
#include "motor/port.h"
#include "motor/port_error.h"

namespace stepdial {
namespace {

struct LptCase {
    const char* name;
    LptListing listing;
    std::uint16_t address;
    std::string port;
    bool said = false;  // whether the choice says which ports Windows listed
    // Named in the test's output by its case, not by its bytes.
    friend void PrintTo(const LptCase& c, std::ostream* os) { *os << c.name; }
};

class LptChoiceFrom : public ::testing::TestWithParam<LptCase> {};

TEST_P(LptChoiceFrom, TakesThePortTheLinuxRuleTakes) {
    const LptChoice choice = ChooseLpt(GetParam().listing, kDataRegister);
    EXPECT_EQ(choice.address, GetParam().address);
    EXPECT_EQ(choice.name, GetParam().port);
    EXPECT_EQ(!choice.unresolved.empty(), GetParam().said) << choice.unresolved;
    EXPECT_EQ(DescribeLptDevice(choice, "inpoutx64.dll"),
              GetParam().port.empty() ? "inpoutx64.dll" : GetParam().port + ": inpoutx64.dll");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LptChoiceFrom,
    ::testing::Values(
        LptCase{"MotherboardPort", {{{1, 888}}, ""}, 888, "LPT1"},
        LptCase{"OnlyACard", {{{3, 0xd010}}, ""}, 0xd010, "LPT3"},
        LptCase{"The888PortBeforeALowerNumber", {{{1, 0xd010}, {2, 888}}, ""}, 888, "LPT2"},
        LptCase{"LowestNumberWhateverTheOrder", {{{4, 0xd010}, {2, 0xe000}}, ""}, 0xe000, "LPT2"},
        LptCase{"NoneListed", {{}, ""}, 888, ""},
        LptCase{"LowestWithoutAnIoRange", {{{1, std::nullopt}, {2, 0xe000}}, ""}, 888, "", true},
        LptCase{"The888PortBesideOneWithoutARange", {{{1, std::nullopt}, {2, 888}}, ""}, 888, "LPT2"},
        LptCase{"ListingRefused", {{}, "Access is denied (error 5)"}, 888, "", true}),
    [](const auto& info) { return std::string(info.param.name); });

// Where Windows cannot say, the message names every port it saw and the address written.
TEST(LptChoiceFallback, NamesThePortsSeenAndTheAddress) {
    const LptChoice choice = ChooseLpt({{{3, std::nullopt}, {4, 0xd010}}, ""}, kDataRegister);
    for (const std::string& part :
         {DescribeLpt({3, std::nullopt}), DescribeLpt({4, 0xd010}), DescribeAddress(kDataRegister)})
        EXPECT_NE(choice.unresolved.find(part), std::string::npos)
            << part << " not in: " << choice.unresolved;
    EXPECT_EQ(DescribeLpt({3, 0xd010}), "LPT3 at " + DescribeAddress(0xd010));
}

}  // namespace
}  // namespace stepdial
