#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <span>

namespace stepdial {

// How the coils are energised; bit 0 is coil A, bit 3 coil D.
enum class Drive { TwoCoils, OneCoil, HalfSteps };

// Two neighbouring coils on: the most torque of a full step, the design's drive.
inline constexpr std::array<std::uint8_t, 4> kTwoCoilPatterns{3, 6, 12, 9};
// One coil at a time (wave drive): half the current, less torque.
inline constexpr std::array<std::uint8_t, 4> kOneCoilPatterns{1, 2, 4, 8};
// One and two coils in turn: each pattern turns the rotor half a full step.
inline constexpr std::array<std::uint8_t, 8> kHalfStepPatterns{1, 3, 2, 6, 4, 12, 8, 9};

constexpr std::span<const std::uint8_t> PatternsOf(Drive drive) {
    switch (drive) {
    case Drive::OneCoil:
        return kOneCoilPatterns;
    case Drive::HalfSteps:
        return kHalfStepPatterns;
    case Drive::TwoCoils:
        break;
    }
    return kTwoCoilPatterns;
}

// Floored remainder: position -1 is the table's last pattern, so the coils keep turning
// in pattern order below 0 instead of skipping positions.
constexpr std::size_t PatternIndexOf(std::int64_t step, std::size_t patterns) {
    const auto n = static_cast<std::int64_t>(patterns);
    return static_cast<std::size_t>(((step % n) + n) % n);
}

// The motor the operator wired: what one step turns the shaft by, how the coils are
// driven and how often it steps. The defaults are the design's 7.5-degree motor.
struct MotorModel {
    std::int32_t stepsPerRevolution = 48;
    Drive drive = Drive::TwoCoils;
    std::int32_t stepsPerSecond = 64;

    // The operator may type any whole number in these ranges: 4 steps is the fewest a
    // four-coil motor can have, 100,000 covers geared motors in half steps; at 16 steps a
    // second a geared motor's turn already takes minutes, and 500 (a step every 2 ms) is
    // as fine as the desktops' timers were measured to keep (docs/performance.md).
    static constexpr std::int32_t kFewestSteps = 4;
    static constexpr std::int32_t kMostSteps = 100'000;
    static constexpr std::int32_t kSlowest = 16;
    static constexpr std::int32_t kFastest = 500;

    constexpr double StepAngle() const { return 360.0 / stepsPerRevolution; }
    // One tick a step: 15.625 ms at the design's 64 a second.
    constexpr std::chrono::nanoseconds TickPeriod() const {
        return std::chrono::nanoseconds(std::chrono::seconds(1)) / stepsPerSecond;
    }

    bool operator==(const MotorModel&) const = default;
};

}  // namespace stepdial
