#include "motor/stepping_controller.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "motor/angle_text.h"

namespace stepdial {
namespace {

// The farthest steps a 64-bit position can reach, as doubles that compare with it
// without overflow: 2^63 - 1024 is the largest double below INT64_MAX.
constexpr double kHighestStep = 9223372036854774784.0;
constexpr double kLowestStep = -9223372036854775808.0;

}  // namespace

void SteppingController::ResetMotor() {
    port_.Write(kDataRegister, 0);
    stepAngle_ = motor_.StepAngle();
}

double SteppingController::StepsOf(double degrees) const {
    // A step angle that is a binary fraction (7.5, 0.17578125) is exact, and the angles
    // the operator types for its steps are too: dividing rounds once.
    const std::int32_t steps = motor_.stepsPerRevolution;
    const std::int32_t odd = steps / std::gcd(steps, 360);
    if ((odd & (odd - 1)) == 0) return degrees / StepAngle();
    // One that is not (1.8) leaves typed angles a rounding error off their step: 37.8
    // degrees comes out a hair below 21 steps and would stop the motor a step short.
    const double target = degrees * steps / 360.0;
    const double whole = std::round(target);
    return std::abs(target - whole) <= std::abs(target) * 1e-12 ? whole : target;
}

double SteppingController::StepAngle() const {
    if (!stepAngle_) throw std::logic_error("SteppingController: ResetMotor has not run");
    return *stepAngle_;
}

void SteppingController::StepMotor(std::string_view angleText) {
    // An angle beyond the position's range aims at the farthest reachable step instead.
    targetStep_ = std::clamp(StepsOf(ParseAngleText(angleText)), kLowestStep, kHighestStep);

    // Two separate tests: a position just below a fractional target is raised by the
    // first and lowered again by the second, so it stands still.
    std::int64_t step = currentStep_;
    if (*targetStep_ > static_cast<double>(step)) ++step;
    if (*targetStep_ < static_cast<double>(step)) --step;

    // Counted only once its pattern reached the coils: a write that fails (a USB board
    // unplugged) leaves the position where the motor stands.
    const auto patterns = PatternsOf(motor_.drive);
    port_.Write(kDataRegister, patterns[PatternIndexOf(step, patterns.size())]);
    currentStep_ = step;
}

bool SteppingController::HasArrived() const {
    if (!targetStep_) throw std::logic_error("SteppingController: no tick has run");
    return std::abs(*targetStep_ - static_cast<double>(currentStep_)) < 1.0;
}

}  // namespace stepdial
