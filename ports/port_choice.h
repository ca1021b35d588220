#pragma once

#include <string>

#include "ports/gpio_line_choice.h"
#include "ports/usb_board.h"

namespace stepdial {

// What the motor's coil drivers hang on. The parallel port is the default: an FTDI chip is
// also the most common USB serial adapter, so a board is driven only when the operator
// chose it.
struct PortChoice {
    enum class Output { ParallelPort, UsbBoard, GpioLines };
    Output output = Output::ParallelPort;
    UsbBoardChoice board;  // only for Output::UsbBoard
    GpioLinesChoice gpio{};  // only for Output::GpioLines (Linux)
    bool operator==(const PortChoice&) const = default;
};

// "USB board FT232R USB UART (serial A10KZP3F, at 1-1.4)": what the operator reads on the
// board's label, in its messages and in the settings window.
std::string DescribeBoard(const UsbBoard& board);

// How a message names a chosen board that cannot be found: "USB board with serial
// A50285BI", or for a board without one "USB board at 1-1.4".
std::string DescribeBoardChoice(const UsbBoardChoice& choice);

}  // namespace stepdial
