#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "angle_text.h"

namespace stepdial {
namespace {

struct ParseCase {
    const char* text;
    double expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ParseAngleTextTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseAngleTextTest, ReadsTheLongestNumberAtTheStart) {
    const auto& c = GetParam();
    EXPECT_EQ(ParseAngleText(c.text), c.expected) << "text: \"" << c.text << "\"";
}

constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, ParseAngleTextTest,
    ::testing::Values(
        ParseCase{"360", 360}, ParseCase{"90", 90}, ParseCase{"-45", -45}, ParseCase{"+45", 45},
        ParseCase{"3.75", 3.75}, ParseCase{"11.25", 11.25}, ParseCase{".5", 0.5},
        ParseCase{"5.", 5}, ParseCase{"-.5", -0.5},
        // no number at the start: 0
        ParseCase{"", 0}, ParseCase{"abc", 0}, ParseCase{".", 0}, ParseCase{"-", 0},
        ParseCase{"+", 0}, ParseCase{"e5", 0}, ParseCase{"--5", 0}, ParseCase{"+-5", 0},
        ParseCase{"x90", 0},
        // leading blanks are skipped, trailing text ends the number
        ParseCase{"  90", 90}, ParseCase{"\t-7.5", -7.5}, ParseCase{"90 degrees", 90},
        ParseCase{"12abc", 12}, ParseCase{"1.5.5", 1.5}, ParseCase{"- 5", 0},
        // exponents only with digits after them
        ParseCase{"1e2", 100}, ParseCase{"1E2", 100}, ParseCase{"2.5e-1", 0.25},
        ParseCase{"1e+1", 10}, ParseCase{"1e", 1}, ParseCase{"1e+", 1}, ParseCase{"1ex", 1},
        // the separator is '.', never ','
        ParseCase{"7,5", 7},
        // beyond a double: an infinity of the number's sign; below its smallest: zero
        ParseCase{"1e999", kInf}, ParseCase{"-1e999", -kInf}, ParseCase{"1e-999", 0},
        ParseCase{"0e999999999999999999999", 0}, ParseCase{"0.0001e99999999999999", kInf},
        ParseCase{"1e-99999999999999999999", 0}));

TEST(ParseAngleText, ReadsAVeryLongNumberWithoutLosingItsMagnitude) {
    const std::string digits(400, '9');  // ~1e400: beyond a double
    EXPECT_EQ(ParseAngleText(digits), kInf);
    EXPECT_EQ(ParseAngleText("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(ParseAngleText(std::string(300, '0') + "45"), 45.0);
}

}  // namespace
}  // namespace stepdial
