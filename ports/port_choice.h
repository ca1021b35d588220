#pragma once

#include <string>

#include "ports/usb_board.h"

namespace stepdial {

// What the motor's coil drivers hang on. The parallel port is the default: an FTDI chip is
// also the most common USB serial adapter, so a board is driven only when the operator
// chose it.
struct PortChoice {
    enum class Output { ParallelPort, UsbBoard };
    Output output = Output::ParallelPort;
    UsbBoardChoice board;  // only for Output::UsbBoard
    bool operator==(const PortChoice&) const = default;
};

// How every message names a chosen board: "USB board with serial A50285BI", or for a board
// without one "USB board at USB 1-1.4".
std::string DescribeBoardChoice(const UsbBoardChoice& choice);

}  // namespace stepdial
