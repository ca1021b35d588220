#include "core/dial.h"

#include "core/layout.h"
#include "motor/angle_text.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace stepdial {
namespace {

// The dial's own approximation of pi: the needle falls about 0.18 degrees short of a full
// turn at 360; the operator's dial has always shown it so.
double NeedleAngle(const SteppingController& controller) {
    return static_cast<double>(controller.CurrentStep()) * controller.StepAngle() * 3.14 / 180;
}

// A coordinate is stored only when it is a number that single precision holds:
// NaN means an invalid operation, an infinity a division by zero or an overflow, and
// a finite value beyond the float range an overflow in the store itself.
float StorableCoordinate(double value, const char* name) {
    if (std::isnan(value)) {
        throw std::range_error(std::string("Needle end point ") + name +
                               ": invalid floating-point operation (not a number)");
    }
    if (std::isinf(value)) {
        throw std::range_error(std::string("Needle end point ") + name +
                               ": division by zero or overflow (infinite result)");
    }
    if (std::abs(value) > std::numeric_limits<float>::max()) {
        throw std::range_error(std::string("Needle end point ") + name + ": overflow (" +
                               FormatAngleText(value) + " is beyond single precision)");
    }
    return static_cast<float>(value);
}

}  // namespace

void NeedleLine::Move(float Points::*end, float value) {
    if (points_.*end == value) return;
    const Points before = points_;
    points_.*end = value;
    if (moved_) moved_(before);
}

void UpdateNeedle(const SteppingController& controller, LineControl& needle) {
    // Y2 is stored before X2 is computed: a line that refuses Y2 never sees X2.
    needle.SetY2(
        StorableCoordinate(std::sin(NeedleAngle(controller)) * layout::kNeedleLength + needle.Y1(), "Y2"));
    needle.SetX2(
        StorableCoordinate(std::cos(NeedleAngle(controller)) * layout::kNeedleLength + needle.X1(), "X2"));
}

void UpdateReadout(const SteppingController& controller, LabelControl& readout) {
    readout.SetCaption(
        FormatShaftAngle(static_cast<double>(controller.CurrentStep()) * controller.StepAngle(),
                         controller.StepAngle()));
}


}  // namespace stepdial
