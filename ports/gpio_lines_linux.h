#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "motor/port.h"
#include "ports/gpio_line_choice.h"

namespace stepdial {

// A GPIO chip as the settings window shows it.
struct GpioChip {
    std::string node;   // "/dev/gpiochip0"
    std::string label;  // the driver's name for it ("pinctrl-bcm2711", "9030000.pl061")
    std::vector<GpioLineInfo> lines;
    std::string unreadable;  // why it could not be opened (the system's text); empty when it was
};

// Which chip (by its label, which stays when the kernel numbers the chips in another
// order) and which of its lines drive coils A to D.
struct GpioLinesChoice {
    std::string chipLabel;
    GpioCoilLines lines{};
    bool operator==(const GpioLinesChoice&) const = default;
};

// Every GPIO chip under `devices`, each with its lines, which are used and by whom.
std::vector<GpioChip> ListGpioChips(const std::filesystem::path& devices = "/dev");

// The chosen lines as the motor's port: at the first Write (the start-up 0) exactly those
// four lines are requested as outputs for the consumer "stepdial"; each Write sets all four
// at once (bit 0 on coil A's line). Nothing is written at exit. Throws PortError.
std::unique_ptr<Port> MakeGpioLinesPort(const GpioLinesChoice& choice,
                                        const std::filesystem::path& devices = "/dev");

}  // namespace stepdial
