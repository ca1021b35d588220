#include "ports/gpio_line_choice.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "motor/port_error.h"

namespace stepdial {
namespace {

// qemu's arm64 virt machine's PL061 as its kernel lists it: eight unnamed lines, line 3
// held by the power key once gpio_keys is loaded.
const std::vector<GpioLineInfo> kPl061 = {{0}, {1}, {2}, {3, "", "GPIO Key Poweroff", true},
                                          {4}, {5}, {6}, {7}};
// A Raspberry Pi's first pins: named by the board, one held by a kernel driver with no name.
const std::vector<GpioLineInfo> kPiPins = {{0, "ID_SDA"}, {1, "ID_SCL"}, {2, "GPIO2", "", true},
                                           {3, "GPIO3"},  {4, "GPIO4"},  {5, "GPIO5", "stepdial", true}};

TEST(GpioLineChoice, RefusesWhatCannotBeRequestedAndNamesTheHolder) {
    struct Row {
        const std::vector<GpioLineInfo>& chip;
        GpioCoilLines chosen;
        int error;                // 0: the lines can be requested
        const char* failurePart;  // what the failure must say
        std::string_view remedy;
    } rows[] = {
        // clang-format off
        {kPl061, {0, 1, 2, 4}, 0, "", {}},
        {kPl061, {0, 1, 3, 4}, EBUSY, "line 3 (coil C) is in use by \"GPIO Key Poweroff\"", remedy::gpio::kFreeTheLine},
        {kPl061, {0, 1, 2, 8}, EINVAL, "no line 8 on this chip, which has 8 (coil D)", remedy::gpio::kChooseFourLines},
        {kPl061, {4, 1, 2, 4}, EINVAL, "line 4 is chosen for both coil A and coil D", remedy::gpio::kChooseFourLines},
        {kPiPins, {0, 1, 3, 4}, 0, "", {}},
        {kPiPins, {2, 1, 3, 4}, EBUSY, "GPIO2 (line 2) (coil A) is in use by a kernel driver", remedy::gpio::kFreeTheLine},
        // Another stepdial's lines are refused like anyone's.
        {kPiPins, {0, 1, 3, 5}, EBUSY, "GPIO5 (line 5) (coil D) is in use by \"stepdial\"", remedy::gpio::kFreeTheLine},
        {{}, {0, 1, 2, 3}, EINVAL, "no line 0 on this chip, which has 0", remedy::gpio::kChooseFourLines},
        // clang-format on
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto refusal = RefuseGpioLines(rows[i].chip, rows[i].chosen);
        ASSERT_EQ(refusal.has_value(), rows[i].error != 0) << i;
        if (!refusal) continue;
        EXPECT_EQ(refusal->error, rows[i].error) << i;
        EXPECT_NE(refusal->failure.find(rows[i].failurePart), std::string::npos)
            << i << ": " << refusal->failure;
        EXPECT_EQ(refusal->remedy, rows[i].remedy) << i;
    }
}

}  // namespace
}  // namespace stepdial
