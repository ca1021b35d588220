#pragma once

#include <cstdint>

#include "motor/motor_model.h"

namespace stepdial {

// A four-phase stepper with the operator's steps a revolution (the design's 48 full
// steps unless set up otherwise), coils A, B, C and D on data bits 0 to 3 in phase
// order. It answers each byte the way a real rotor answers the coil currents, so a
// wrong coil sequence shows as a rotor that lags, runs backwards or stalls instead of
// following the count on the dial.
class VirtualMotor {
public:
    // The operator's steps a revolution are half steps with the half-step drive and full
    // steps with the others. The rotor starts where the drive's pattern of position 0
    // holds it, so that it turns with the count from the first step.
    explicit VirtualMotor(const MotorModel& model = {});

    // Sets the coil currents from the byte on the data lines. Bits 4 to 7 drive no
    // coil and are ignored.
    void Apply(std::uint8_t byte);

    // Total angle since start-up in mechanical degrees, not wrapped: 0 is where the
    // pattern of position 0 holds the rotor (pattern 3 in the design's drive), rising
    // angles follow the phase order A, B, C, D.
    double AngleDegrees() const { return static_cast<double>(HalfSteps()) * degreesPerHalfStep_; }
    std::int64_t HalfSteps() const { return halfSteps_ - origin_; }

    std::uint8_t LastByte() const { return lastByte_; }
    std::uint64_t Writes() const { return writes_; }
    // Writes after which the rotor stood somewhere else.
    std::uint64_t Steps() const { return steps_; }
    // Writes whose field stood exactly opposite the rotor and so gave it no torque.
    std::uint64_t Stalls() const { return stalls_; }

private:
    // One full step is 90 electrical degrees; positions are kept in half steps so
    // every angle the rotor can stand at is exact.
    double degreesPerHalfStep_;
    // The field of position 0's pattern, in half steps from pattern 3's.
    std::int64_t origin_;
    std::int64_t halfSteps_;
    std::uint8_t lastByte_ = 0;
    std::uint64_t writes_ = 0;
    std::uint64_t steps_ = 0;
    std::uint64_t stalls_ = 0;
};

}  // namespace stepdial
