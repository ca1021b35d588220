#include "core/motor_settings.h"

#include <algorithm>
#include <charconv>

namespace stepdial {

std::optional<std::int32_t> ReadWholeNumber(std::string_view text, std::int32_t lowest,
                                            std::int32_t highest) {
    const auto start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return std::nullopt;
    text.remove_prefix(start);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    // "2048: 28BYJ-48" ends at its colon; "2048.5" or "2048x" is no whole number.
    const std::string_view rest(end, text.data() + text.size() - end);
    if (error != std::errc{} || !(rest.empty() || rest.front() == ':' || rest.front() == ' '))
        return std::nullopt;
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

MotorModel LoadMotor(const SettingsStore& store) {
    MotorModel motor;
    motor.stepsPerRevolution = ReadWholeNumber(store.Read(settings_key::kStepsPerRevolution),
                                               MotorModel::kFewestSteps, MotorModel::kMostSteps)
                                   .value_or(motor.stepsPerRevolution);
    motor.stepsPerSecond =
        ReadWholeNumber(store.Read(settings_key::kStepsPerSecond), MotorModel::kSlowest, MotorModel::kFastest)
            .value_or(motor.stepsPerSecond);
    const std::string drive = store.Read(settings_key::kDrive);
    for (const auto& choice : kDriveChoices)
        if (drive == choice.saved) motor.drive = choice.drive;
    return motor;
}

void SaveMotor(SettingsStore& store, const MotorModel& motor) {
    store.Write(settings_key::kStepsPerRevolution, std::to_string(motor.stepsPerRevolution));
    for (const auto& choice : kDriveChoices)
        if (motor.drive == choice.drive) store.Write(settings_key::kDrive, std::string(choice.saved));
    store.Write(settings_key::kStepsPerSecond, std::to_string(motor.stepsPerSecond));
}

std::string MotorProblem(std::string_view stepsText, std::string_view speedText,
                         std::chrono::nanoseconds timerResolution) {
    const auto range = [](std::string_view what, std::int32_t lowest, std::int32_t highest) {
        return std::string(what) + " must be a whole number from " + std::to_string(lowest) + " to " +
               std::to_string(highest) + ".";
    };
    if (!ReadWholeNumber(stepsText, MotorModel::kFewestSteps, MotorModel::kMostSteps))
        return range("Steps per revolution", MotorModel::kFewestSteps, MotorModel::kMostSteps);
    const auto speed = ReadWholeNumber(speedText, MotorModel::kSlowest, MotorModel::kFastest);
    if (!speed) return range("Steps per second", MotorModel::kSlowest, MotorModel::kFastest);
    // A period under two of the timer's own would come as uneven bursts and gaps, and the
    // motor would stall in the gaps' catch-up.
    const auto period = MotorModel{.stepsPerSecond = *speed}.TickPeriod();
    if (period < 2 * timerResolution) {
        const auto fastest = std::chrono::seconds(1) / (2 * timerResolution);
        return "This computer's timer cannot step the motor " + std::to_string(*speed) +
               " times a second evenly: choose at most " + std::to_string(fastest) + ".";
    }
    return "";
}

std::string MotorSettings::StepsText() const {
    for (const auto& preset : kStepsPresets)
        if (preset.steps == saved_.stepsPerRevolution) return std::string(preset.text);
    return std::to_string(saved_.stepsPerRevolution);
}

std::size_t MotorSettings::DriveRow() const {
    for (std::size_t row = 0; row < kDriveChoices.size(); ++row)
        if (kDriveChoices[row].drive == saved_.drive) return row;
    return 0;
}

std::string MotorSettings::Accept(std::string_view stepsText, std::size_t driveRow,
                                  std::string_view speedText) {
    std::string problem = MotorProblem(stepsText, speedText, timerResolution_);
    if (!problem.empty()) return problem;
    saved_ = {*ReadWholeNumber(stepsText, MotorModel::kFewestSteps, MotorModel::kMostSteps),
              kDriveChoices.at(std::min(driveRow, kDriveChoices.size() - 1)).drive,
              *ReadWholeNumber(speedText, MotorModel::kSlowest, MotorModel::kFastest)};
    SaveMotor(store_, saved_);
    return "";
}

}  // namespace stepdial
