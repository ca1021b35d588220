#include "core/port_settings.h"

#include <algorithm>

#include "motor/port_error.h"

namespace stepdial {
namespace {

std::string DescribeParallelPort(const ParallelPortFound& port) {
    return port.device + " at " + DescribeAddress(port.base);
}

// Names the port the program drives; a PC without one the kernel lists still gets the row,
// as the program then tries direct port I/O at the address.
std::string ParallelRowText(const std::vector<ParallelPortFound>& found) {
    std::string text = "Parallel port";
    std::string others;
    for (const auto& port : found) {
        if (port.used) {
            text += " " + DescribeParallelPort(port);
        } else {
            others += (others.empty() ? "; also found, not used: " : ", ") + DescribeParallelPort(port);
        }
    }
    if (found.empty()) text += ": none found now";
    return text + others;
}

// By serial number, or by the place on the bus for a board without one.
UsbBoardChoice ChoiceOf(const UsbBoard& board) {
    return board.serial.empty() ? UsbBoardChoice{"", board.busPlace} : UsbBoardChoice{board.serial, ""};
}

}  // namespace

PortChoice LoadPortChoice(const SettingsStore& store) {
    const UsbBoardChoice board{store.Read(settings_key::kSerial), store.Read(settings_key::kBusPlace)};
    if (store.Read(settings_key::kOutput) != settings_key::kUsbBoard ||
        (board.serial.empty() && board.busPlace.empty()))
        return {};
    return {PortChoice::Output::UsbBoard, board.serial.empty() ? board : UsbBoardChoice{board.serial, ""}};
}

void SavePortChoice(SettingsStore& store, const PortChoice& choice) {
    const bool usb = choice.output == PortChoice::Output::UsbBoard;
    store.Write(settings_key::kOutput, usb ? settings_key::kUsbBoard : settings_key::kParallel);
    store.Write(settings_key::kSerial, usb ? choice.board.serial : "");
    store.Write(settings_key::kBusPlace, usb ? choice.board.busPlace : "");
}

PortSettings::PortSettings(SettingsStore& store, const PortSurvey& survey)
    : store_(store),
      note_(survey.usbProblem) {
    rows_.push_back({ParallelRowText(survey.parallelPorts), {}});
    for (const auto& board : survey.usbBoards)
        rows_.push_back({DescribeBoard(board), {PortChoice::Output::UsbBoard, ChoiceOf(board)}});
    const PortChoice current = LoadPortChoice(store);
    const auto isCurrent = [&](const PortRow& row) { return row.choice == current; };
    if (std::none_of(rows_.begin(), rows_.end(), isCurrent))
        rows_.push_back(
            {DescribeBoardChoice(current.board) + std::string(settings_text::kNotPluggedIn), current});
    selected_ = std::find_if(rows_.begin(), rows_.end(), isCurrent) - rows_.begin();
}

void PortSettings::Select(std::size_t row) {
    if (row < rows_.size()) selected_ = row;
}

void PortSettings::Accept() { SavePortChoice(store_, rows_[selected_].choice); }

}  // namespace stepdial
