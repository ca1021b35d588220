#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stepdial {

// One line of a GPIO chip as the kernel's line info describes it.
struct GpioLineInfo {
    unsigned offset = 0;
    std::string name{};      // the board's name for it ("GPIO17" on a Raspberry Pi); may be empty
    std::string consumer{};  // who holds it, when used; may be empty for a kernel user
    bool used = false;
};

// The chip's lines that drive coils A to D (data bits 0 to 3), by offset on the chip.
using GpioCoilLines = std::array<unsigned, 4>;

// A GPIO chip as the settings window shows it.
struct GpioChip {
    std::string node;   // "/dev/gpiochip0"
    std::string label;  // the driver's name for it ("pinctrl-bcm2711", "9030000.pl061")
    std::vector<GpioLineInfo> lines;
    std::string unreadable{};  // why it could not be opened (the system's text); empty when it was
};

// Which chip (by its label, which stays when the kernel numbers the chips in another
// order) and which of its lines drive coils A to D.
struct GpioLinesChoice {
    std::string chipLabel;
    GpioCoilLines lines{};
    bool operator==(const GpioLinesChoice&) const = default;
};

// Why the chosen lines cannot be had, in PortError's terms.
struct GpioRefusal {
    int error = 0;
    std::string failure;
    std::string_view remedy;
};

// "GPIO17 (line 17)", or "line 3" for a line the board gives no name.
std::string DescribeGpioLine(const GpioLineInfo& line);

// "GPIO chip pinctrl-bcm2711: coils A to D on GPIO17 (line 17), ...": the chip's `lines`
// name the chosen ones; a line the chip does not have (or a chip not found) by its number.
std::string DescribeGpioChoice(const GpioLinesChoice& choice, const std::vector<GpioLineInfo>& lines);

// Nothing when every chosen line exists on the chip (`lines`, indexed by offset), is chosen
// once and is free; else the first refusal, a held line naming its holder.
std::optional<GpioRefusal> RefuseGpioLines(const std::vector<GpioLineInfo>& lines,
                                           const GpioCoilLines& chosen);

}  // namespace stepdial
