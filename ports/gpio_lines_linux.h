#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "motor/port.h"
#include "ports/gpio_line_choice.h"

namespace stepdial {

// Every GPIO chip under `devices`, each with its lines, which are used and by whom.
std::vector<GpioChip> ListGpioChips(const std::filesystem::path& devices = "/dev");

// The chosen lines as the motor's port: at the first Write (the start-up 0) exactly those
// four lines are requested as outputs for the consumer "stepdial"; each Write sets all four
// at once (bit 0 on coil A's line). Nothing is written at exit. Throws PortError.
std::unique_ptr<Port> MakeGpioLinesPort(const GpioLinesChoice& choice,
                                        const std::filesystem::path& devices = "/dev");

}  // namespace stepdial
