#include "ports/gpio_line_choice.h"

#include <cerrno>

#include "motor/port_error.h"

namespace stepdial {

std::string DescribeGpioLine(const GpioLineInfo& line) {
    const std::string place = "line " + std::to_string(line.offset);
    return line.name.empty() ? place : line.name + " (" + place + ")";
}

std::string DescribeGpioChoice(const GpioLinesChoice& choice, const std::vector<GpioLineInfo>& lines) {
    std::string text = "GPIO chip " + choice.chipLabel + ": coils A to D on ";
    for (std::size_t coil = 0; coil < choice.lines.size(); ++coil) {
        const unsigned offset = choice.lines[coil];
        text += (coil == 0 ? "" : ", ") +
                DescribeGpioLine(offset < lines.size() ? lines[offset] : GpioLineInfo{offset});
    }
    return text;
}

std::optional<GpioRefusal> RefuseGpioLines(const std::vector<GpioLineInfo>& lines,
                                           const GpioCoilLines& chosen) {
    for (std::size_t coil = 0; coil < chosen.size(); ++coil) {
        const std::string coilName = std::string("coil ") + static_cast<char>('A' + coil);
        const unsigned offset = chosen[coil];
        if (offset >= lines.size()) {
            return GpioRefusal{EINVAL,
                               "no line " + std::to_string(offset) + " on this chip, which has " +
                                   std::to_string(lines.size()) + " (" + coilName + ")",
                               remedy::gpio::kChooseFourLines};
        }
        for (std::size_t other = 0; other < coil; ++other) {
            if (chosen[other] == offset) {
                return GpioRefusal{EINVAL,
                                   DescribeGpioLine(lines[offset]) + " is chosen for both coil " +
                                       static_cast<char>('A' + other) + " and " + coilName,
                                   remedy::gpio::kChooseFourLines};
            }
        }
        const GpioLineInfo& line = lines[offset];
        if (line.used) {
            return GpioRefusal{EBUSY,
                               DescribeGpioLine(line) + " (" + coilName + ") is in use by " +
                                   (line.consumer.empty() ? std::string("a kernel driver that gives no name")
                                                          : "\"" + line.consumer + "\""),
                               remedy::gpio::kFreeTheLine};
        }
    }
    return std::nullopt;
}

}  // namespace stepdial
