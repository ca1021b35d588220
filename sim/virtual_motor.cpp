#include "sim/virtual_motor.h"

#include <optional>

namespace stepdial {
namespace {

// Half steps in one electrical turn: the field pattern repeats every four full steps.
constexpr int kHalfStepsPerCycle = 8;

// Where the coil currents pull the rotor, in half steps within one electrical turn.
// Two neighbouring coils pull to the full step between them; one coil alone pulls to
// its own pole, half a step to either side of them. Coils off, or two opposite coils
// whose pulls cancel, or three and four coils, give no defined field.
std::optional<int> FieldOf(std::uint8_t coils) {
    switch (coils) {
        case 0b0011: return 0;  // A+B
        case 0b0010: return 1;  // B
        case 0b0110: return 2;  // B+C
        case 0b0100: return 3;  // C
        case 0b1100: return 4;  // C+D
        case 0b1000: return 5;  // D
        case 0b1001: return 6;  // D+A
        case 0b0001: return 7;  // A
        default: return std::nullopt;
    }
}

}  // namespace

VirtualMotor::VirtualMotor(const MotorModel& model)
    : degreesPerHalfStep_(model.drive == Drive::HalfSteps ? model.StepAngle() : model.StepAngle() / 2) {
    const int field = FieldOf(PatternsOf(model.drive)[0]).value_or(0);
    origin_ = field > kHalfStepsPerCycle / 2 ? field - kHalfStepsPerCycle : field;
    halfSteps_ = origin_;
}

void VirtualMotor::Apply(std::uint8_t byte) {
    ++writes_;
    lastByte_ = byte;

    const auto field = FieldOf(byte & 0x0F);
    if (!field) return;

    const int rotor = static_cast<int>(((halfSteps_ % kHalfStepsPerCycle) + kHalfStepsPerCycle) %
                                       kHalfStepsPerCycle);
    // Distance from rotor to field the short way round, in -3 .. +4 half steps.
    int offset = (*field - rotor + kHalfStepsPerCycle) % kHalfStepsPerCycle;
    if (offset > kHalfStepsPerCycle / 2) offset -= kHalfStepsPerCycle;

    if (offset == kHalfStepsPerCycle / 2) {
        // The field pulls straight through the shaft: no torque either way.
        ++stalls_;
        return;
    }
    if (offset != 0) {
        halfSteps_ += offset;
        ++steps_;
    }
}

}  // namespace stepdial
