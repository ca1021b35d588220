#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/settings_store.h"
#include "motor/motor_model.h"

namespace stepdial {

// The saved motor, beside the port in the same store; an administrator can write the same
// keys into the machine-wide default.
namespace settings_key {
inline const std::string kStepsPerRevolution = "motor/stepsPerRevolution";
inline const std::string kDrive = "motor/drive";
inline const std::string kStepsPerSecond = "motor/stepsPerSecond";
}  // namespace settings_key

// The settings window's motor texts, the same on every front end.
namespace settings_text {
inline constexpr std::string_view kStepsLabel = "&Steps per revolution:";
inline constexpr std::string_view kDriveLabel = "&Drive:";
inline constexpr std::string_view kSpeedLabel = "Steps per s&econd:";
}  // namespace settings_text

// The motors most often wired to this program, offered in the steps field's list; any
// other whole number in the range can be typed.
struct StepsPreset {
    std::int32_t steps;
    std::string_view text;
};
inline constexpr std::array<StepsPreset, 4> kStepsPresets{{
    {48, "48 (7.5 degrees a step)"},
    {200, "200 (1.8 degrees a step)"},
    {2048, "2048: 28BYJ-48"},
    {4096, "4096: 28BYJ-48, half steps"},
}};

// The drives in the order the window lists them, each with its saved value.
struct DriveChoice {
    Drive drive;
    std::string_view saved;
    std::string_view text;
};
inline constexpr std::array<DriveChoice, 3> kDriveChoices{{
    {Drive::TwoCoils, "two-coils", "Two coils on: 3, 6, 12, 9"},
    {Drive::OneCoil, "one-coil", "One coil on: 1, 2, 4, 8"},
    {Drive::HalfSteps, "half-steps", "Half steps: 1, 3, 2, 6, 4, 12, 8, 9"},
}};

// Each saved value that is missing, damaged or out of range is the design's, on its own:
// a hand-written default with one bad line still gives the rest.
MotorModel LoadMotor(const SettingsStore& store);
void SaveMotor(SettingsStore& store, const MotorModel& motor);

// The number a field's text starts with ("2048: 28BYJ-48" is 2048) when it is whole and
// within [lowest, highest]; nothing otherwise.
std::optional<std::int32_t> ReadWholeNumber(std::string_view text, std::int32_t lowest, std::int32_t highest);

// What OK refuses, as the window tells it: a field out of its range, or a rate the
// platform's timer (its finest period, `timerResolution`) cannot keep, which would make
// the motor lose steps. Empty when the values can be saved.
std::string MotorProblem(std::string_view stepsText, std::string_view speedText,
                         std::chrono::nanoseconds timerResolution);

// The motor's part of the settings window without its toolkit: what its fields show at
// first, and what OK does with what they hold.
class MotorSettings {
public:
    MotorSettings(SettingsStore& store, std::chrono::nanoseconds timerResolution)
        : store_(store),
          saved_(LoadMotor(store)),
          timerResolution_(timerResolution) {}

    // The saved count as its preset's text when it is one, else as a number.
    std::string StepsText() const;
    std::size_t DriveRow() const;
    std::string SpeedText() const { return std::to_string(saved_.stepsPerSecond); }

    // OK: saves the fields and returns "", or returns what is wrong and saves nothing.
    std::string Accept(std::string_view stepsText, std::size_t driveRow, std::string_view speedText);

private:
    SettingsStore& store_;
    MotorModel saved_;
    std::chrono::nanoseconds timerResolution_;
};

}  // namespace stepdial
