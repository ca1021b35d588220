#include "motor/stepping_controller.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "motor/angle_text.h"
#include "motor/phase_patterns.h"

namespace stepdial {
namespace {

// The farthest steps a 64-bit position can reach, as doubles that compare with it
// without overflow: 2^63 - 1024 is the largest double below INT64_MAX.
constexpr double kHighestStep = 9223372036854774784.0;
constexpr double kLowestStep = -9223372036854775808.0;

}  // namespace

void SteppingController::ResetMotor() {
    port_.Write(kDataRegister, 0);
    stepAngle_ = 7.5;
}

double SteppingController::StepAngle() const {
    if (!stepAngle_) throw std::logic_error("SteppingController: ResetMotor has not run");
    return *stepAngle_;
}

void SteppingController::StepMotor(std::string_view angleText) {
    // An angle beyond the position's range aims at the farthest reachable step instead.
    targetStep_ = std::clamp(ParseAngleText(angleText) / StepAngle(), kLowestStep, kHighestStep);

    // Two separate tests: a position just below a fractional target is raised by the
    // first and lowered again by the second, so it stands still.
    std::int64_t step = currentStep_;
    if (*targetStep_ > static_cast<double>(step)) ++step;
    if (*targetStep_ < static_cast<double>(step)) --step;

    // Counted only once its pattern reached the coils: a write that fails (a USB board
    // unplugged) leaves the position where the motor stands.
    port_.Write(kDataRegister, PhasePatterns[PhaseOf(step)]);
    currentStep_ = step;
}

bool SteppingController::HasArrived() const {
    if (!targetStep_) throw std::logic_error("SteppingController: no tick has run");
    return std::abs(*targetStep_ - static_cast<double>(currentStep_)) < 1.0;
}

}  // namespace stepdial
