#pragma once

#include <memory>
#include <string>
#include <vector>

#include "motor/port.h"

namespace stepdial {

// A USB board whose chip has an 8-bit bit-bang mode (FTDI FT232R, FT231X, FT232H, the first
// channel of FT2232H/FT4232H), as the USB library lists it.
struct UsbBoard {
    std::string description;  // the chip's product string, e.g. "FT232R USB UART"
    std::string serial;       // empty when the board has none
    std::string busPlace;     // where it is plugged in: "1-1.4" on Linux, the location id on Windows
};

// Which board the operator chose: by serial number, or by its place on the bus for a board
// without one (serial empty).
struct UsbBoardChoice {
    std::string serial;
    std::string busPlace;
    bool operator==(const UsbBoardChoice&) const = default;
};

// Every bit-bang-capable board plugged in now. Throws PortError when the USB library itself
// cannot be used (on Windows: ftd2xx.dll missing).
std::vector<UsbBoard> ListUsbBoards();

// The chosen board as the motor's port: opened exclusively at the first Write (the start-up
// 0), in bit-bang mode with only D0-D3 as outputs (mask 0x0F); each Write puts the value on
// D0-D3 and returns once the chip has it. Nothing is written at exit. Throws PortError.
std::unique_ptr<Port> MakeUsbBoardPort(const UsbBoardChoice& choice);

}  // namespace stepdial
