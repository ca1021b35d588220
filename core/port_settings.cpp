#include "core/port_settings.h"

#include <algorithm>
#include <charconv>
#include <optional>

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

// "17,18,27,22": four line numbers, or nothing, so a damaged setting requests no line.
std::optional<GpioCoilLines> ParseCoilLines(const std::string& text) {
    GpioCoilLines lines{};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (std::size_t coil = 0; coil < lines.size(); ++coil) {
        if (coil > 0 && (at == end || *at++ != ',')) return std::nullopt;
        const auto [next, error] = std::from_chars(at, end, lines[coil]);
        if (error != std::errc{}) return std::nullopt;
        at = next;
    }
    return at == end ? std::optional(lines) : std::nullopt;
}

std::string FormatCoilLines(const GpioCoilLines& lines) {
    std::string text;
    for (unsigned line : lines) text += (text.empty() ? "" : ",") + std::to_string(line);
    return text;
}

// A chip's row: the saved lines when it is the saved chip, else its first four free lines
// (or its first four), which only OK makes a choice.
PortRow GpioChipRow(const GpioChip& chip, const PortChoice& current) {
    GpioLinesChoice choice{chip.label, {0, 1, 2, 3}};
    if (current.output == PortChoice::Output::GpioLines && current.gpio.chipLabel == chip.label) {
        choice = current.gpio;
    } else {
        std::size_t coil = 0;
        for (const auto& line : chip.lines)
            if (!line.used && coil < choice.lines.size()) choice.lines[coil++] = line.offset;
    }
    return {DescribeGpioChoice(choice, chip.lines), {PortChoice::Output::GpioLines, {}, choice}, chip.lines};
}

}  // namespace

PortChoice LoadPortChoice(const SettingsStore& store) {
    if (store.Read(settings_key::kOutput) == settings_key::kGpioLinesOutput) {
        const auto lines = ParseCoilLines(store.Read(settings_key::kGpioLines));
        const std::string chip = store.Read(settings_key::kGpioChip);
        if (!lines || chip.empty()) return {};
        return {PortChoice::Output::GpioLines, {}, {chip, *lines}};
    }
    const UsbBoardChoice board{store.Read(settings_key::kSerial), store.Read(settings_key::kBusPlace)};
    if (store.Read(settings_key::kOutput) != settings_key::kUsbBoard ||
        (board.serial.empty() && board.busPlace.empty()))
        return {};
    return {PortChoice::Output::UsbBoard, board.serial.empty() ? board : UsbBoardChoice{board.serial, ""}};
}

void SavePortChoice(SettingsStore& store, const PortChoice& choice) {
    const bool usb = choice.output == PortChoice::Output::UsbBoard;
    const bool gpio = choice.output == PortChoice::Output::GpioLines;
    store.Write(settings_key::kOutput, usb    ? settings_key::kUsbBoard
                                       : gpio ? settings_key::kGpioLinesOutput
                                              : settings_key::kParallel);
    store.Write(settings_key::kGpioChip, gpio ? choice.gpio.chipLabel : "");
    store.Write(settings_key::kGpioLines, gpio ? FormatCoilLines(choice.gpio.lines) : "");
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
    for (const auto& chip : survey.gpioChips)
        if (chip.lines.size() >= current.gpio.lines.size()) rows_.push_back(GpioChipRow(chip, current));
    // A chip this user may not open cannot be listed: the note says how to have it.
    const auto unreadable = std::find_if(survey.gpioChips.begin(), survey.gpioChips.end(),
                                         [](const GpioChip& chip) { return !chip.unreadable.empty(); });
    if (unreadable != survey.gpioChips.end())
        note_ += (note_.empty() ? "" : " ") + unreadable->node + ": " + unreadable->unreadable + ". " +
                 std::string(remedy::gpio::kAllowTheChips);
    const auto isCurrent = [&](const PortRow& row) { return row.choice == current; };
    if (std::none_of(rows_.begin(), rows_.end(), isCurrent)) {
        const bool gpio = current.output == PortChoice::Output::GpioLines;
        rows_.push_back({(gpio ? DescribeGpioChoice(current.gpio, {}) : DescribeBoardChoice(current.board)) +
                             std::string(settings_text::kNotPluggedIn),
                         current});
    }
    selected_ = std::find_if(rows_.begin(), rows_.end(), isCurrent) - rows_.begin();
}

void PortSettings::Select(std::size_t row) {
    if (row < rows_.size()) selected_ = row;
}

void PortSettings::ChooseGpioLine(std::size_t coil, unsigned offset) {
    PortRow& row = rows_[selected_];
    if (row.choice.output != PortChoice::Output::GpioLines || coil >= row.choice.gpio.lines.size()) return;
    row.choice.gpio.lines[coil] = offset;
    row.text = DescribeGpioChoice(row.choice.gpio, row.gpioLines);
}

void PortSettings::Accept() { SavePortChoice(store_, rows_[selected_].choice); }

}  // namespace stepdial
