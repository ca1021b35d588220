#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>
#include <limits>

#include "motor/angle_text.h"
#include "tests/support/comma_locale.h"

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

TEST(FormatAngleText, ShortestTextOfTheDouble) {
    const std::vector<std::pair<double, std::string>> cases = {
        {0.0, "0"},     {7.5, "7.5"},     {15.0, "15"},        {97.5, "97.5"},
        {360.0, "360"}, {-7.5, "-7.5"},   {-45.0, "-45"},      {3600.0, "3600"},
        {0.1, "0.1"},   {1e6 * 7.5, "7500000"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(FormatAngleText(value), text) << value;
}

// Plain digits for every position the controller can reach, also where a shortest-form
// formatter switches to an exponent: at 300000 ("3e+05" is shorter), past 2^53 where
// doubles stop holding every whole number, and at the farthest 64-bit position.
TEST(FormatAngleText, NeverAnExponent) {
    const std::vector<std::pair<double, const char*>> exact = {
        {300000.0, "300000"}, {-300000.0, "-300000"}, {-2250000.0, "-2250000"}, {1e15 * 7.5, "7500000000000000"},
    };
    for (const auto& [value, text] : exact) EXPECT_EQ(FormatAngleText(value), text) << value;

    for (const double steps : {40000.0, 9007199254740993.0, -9007199254740993.0, 9223372036854775807.0,
                               -9223372036854775808.0}) {
        const double degrees = steps * 7.5;
        const std::string text = FormatAngleText(degrees);
        EXPECT_EQ(text.find_first_not_of("-0123456789."), std::string::npos) << text;
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), degrees) << text;
    }
}

// An operator whose desktop writes 7,5 still types and reads 7.5.
TEST(FormatShaftAngle, AsManyDecimalsAsTheStepAngleCappedAtTwo) {
    struct Case {
        double stepAngle;
        double degrees;
        const char* text;
    };
    const double geared = 360.0 / 2048;
    for (const Case c :
         {Case{7.5, 97.5, "97.5"}, Case{7.5, 300000, "300000"}, Case{1.8, 13 * 1.8, "23.4"},
          Case{1.8, -1.8, "-1.8"}, Case{geared, 512 * geared, "90"}, Case{geared, 511 * geared, "89.82"},
          Case{geared, -geared, "-0.18"}, Case{360.0 / 4096, 1 * 360.0 / 4096, "0.09"},
          Case{360.0 / 100000, -360.0 / 100000, "0"}, Case{geared, 1e20 * geared, "17578125000000000000"}}) {
        EXPECT_EQ(FormatShaftAngle(c.degrees, c.stepAngle), c.text) << c.degrees << " at " << c.stepAngle;
    }
}

TEST(AngleText, PointWhateverTheLocale) {
    const testing::CommaLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma, and none could be built";
    EXPECT_EQ(ParseAngleText("97.5"), 97.5);
    EXPECT_EQ(ParseAngleText("7,5"), 7);
    EXPECT_EQ(FormatAngleText(97.5), "97.5");
    EXPECT_EQ(FormatAngleText(-7.5), "-7.5");
}

}  // namespace
}  // namespace stepdial
