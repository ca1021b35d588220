#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "motor/motor_model.h"
#include "motor/port.h"

namespace stepdial {

// Keeps the motor's position as a count of whole steps from where the shaft stood at
// start-up (there is no feedback and no homing), moves it at most one step per call of
// StepMotor toward the angle the operator typed, and writes the coil pattern of every
// position to the data register of the first parallel port.
class SteppingController {
public:
    explicit SteppingController(Port& port, const MotorModel& motor = {}) : port_(port), motor_(motor) {}

    // All coils off, then the step angle of the motor. Call once, before any tick.
    void ResetMotor();

    // One tick: the angle text becomes the target, the position moves at most one
    // step toward it, and the position's pattern is written to the port.
    void StepMotor(std::string_view angleText);

    // Within one step of the target. Only meaningful after a tick.
    bool HasArrived() const;

    std::int64_t CurrentStep() const { return currentStep_; }
    double StepAngle() const;
    std::optional<double> TargetStep() const { return targetStep_; }
    const MotorModel& Motor() const { return motor_; }

private:
    double StepsOf(double degrees) const;

    Port& port_;
    MotorModel motor_;
    std::optional<double> targetStep_;
    std::int64_t currentStep_ = 0;
    std::optional<double> stepAngle_;
};

}  // namespace stepdial
