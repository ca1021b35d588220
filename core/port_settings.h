#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings_store.h"
#include "ports/port_choice.h"
#include "ports/port_survey.h"

namespace stepdial {

// The saved form of the port choice: a few keys an administrator can also write by hand
// into the machine-wide default.
namespace settings_key {
inline const std::string kOutput = "port/output";
inline const std::string kSerial = "port/serial";
inline const std::string kBusPlace = "port/busPlace";
inline const std::string kParallel = "parallel";
inline const std::string kUsbBoard = "usb-board";
inline const std::string kGpioChip = "port/gpioChip";    // the chip's label
inline const std::string kGpioLines = "port/gpioLines";  // coils A to D's lines: "17,18,27,22"
inline const std::string kGpioLinesOutput = "gpio-lines";
}  // namespace settings_key

// The saved choice. Anything but a whole USB board choice is the parallel port, so a
// damaged or half-written setting never drives a board the operator did not choose.
PortChoice LoadPortChoice(const SettingsStore& store);
void SavePortChoice(SettingsStore& store, const PortChoice& choice);

// The settings window's texts, the same on every front end.
namespace settings_text {
inline constexpr std::string_view kTitle = "Port and motor";
inline constexpr std::string_view kPortListLabel = "The motor's &port:";
inline constexpr std::string_view kNotPluggedIn = " (not plugged in)";
inline constexpr std::string_view kChooseAnotherPort = "&Choose another port...";
// Beside each coil's line list, shown for a GPIO chip's row.
inline constexpr std::string_view kCoilLine[] = {"Coil &A's line:", "Coil &B's line:", "Coil &C's line:",
                                                 "Coil &D's line:"};
}  // namespace settings_text

// One line of the window's port list.
struct PortRow {
    std::string text;
    PortChoice choice;
    std::vector<GpioLineInfo> gpioLines{};  // a GPIO chip's row: the chip's lines to choose from
};

// The settings window without its toolkit: the rows it shows (the parallel port, naming the
// one the program drives among those found, then every USB board), the row of the current
// choice (a chosen board that is not plugged in keeps a row of its own), and what OK saves.
class PortSettings {
public:
    PortSettings(SettingsStore& store, const PortSurvey& survey);

    const std::vector<PortRow>& Rows() const { return rows_; }
    // Shown under the list: why no USB board can be listed; empty when nothing is wrong.
    const std::string& Note() const { return note_; }
    std::size_t Selected() const { return selected_; }
    void Select(std::size_t row);
    // Puts coil `coil` (0 to 3: A to D) of the selected GPIO chip's row on its line at
    // `offset`; the row's text follows.
    void ChooseGpioLine(std::size_t coil, unsigned offset);
    // OK: the selected row becomes the saved choice.
    void Accept();

private:
    SettingsStore& store_;
    std::vector<PortRow> rows_;
    std::string note_;
    std::size_t selected_ = 0;
};

}  // namespace stepdial
