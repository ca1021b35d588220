#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ports/gpio_line_choice.h"
#include "ports/usb_board.h"

namespace stepdial {

// A parallel port this PC has, as the program's rule finds it.
struct ParallelPortFound {
    std::string device;  // "/dev/parport0" on Linux, "LPT1" on Windows
    std::uint16_t base = 0;
    bool used = false;  // the one the parallel-port choice drives
    bool operator==(const ParallelPortFound&) const = default;
};

// What this PC offers the motor now, for the settings window.
struct PortSurvey {
    std::vector<ParallelPortFound> parallelPorts;
    std::vector<UsbBoard> usbBoards;
    // Why no board can be listed (the USB library cannot be used); empty when boards could be.
    std::string usbProblem;
    // The GPIO chips (a single-board computer's pins); none off Linux.
    std::vector<GpioChip> gpioChips{};
};

// The parallel ports found, in the platform's order.
std::vector<ParallelPortFound> ListParallelPorts();

PortSurvey SurveyPorts();

}  // namespace stepdial
