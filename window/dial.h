#pragma once

#include <string>

#include "stepping_controller.h"

namespace stepdial {

// What the needle computation needs of a line: its start point (the pivot) and a place
// for its end point, in twips, single precision.
class LineControl {
public:
    virtual ~LineControl() = default;
    virtual float X1() const = 0;
    virtual float Y1() const = 0;
    virtual void SetX2(float x2) = 0;
    virtual void SetY2(float y2) = 0;
};

// What the readout needs of a label: a caption to set (UTF-8).
class LabelControl {
public:
    virtual ~LabelControl() = default;
    virtual void SetCaption(const std::string& caption) = 0;
};

// Points the needle at the motor's position: 0 degrees to the right, and clockwise on
// screen as the angle rises, since y grows downward. Throws std::range_error when an
// end coordinate is not a finite single-precision number; the line is then left as it
// was for that coordinate.
void UpdateNeedle(const SteppingController& motor, LineControl& needle);

// Shows the motor's position in degrees.
void UpdateReadout(const SteppingController& motor, LabelControl& readout);

// The shortest text that reads back as `degrees`, '.' before any fraction whatever the
// locale, no trailing zeros, no point for whole numbers: 0, 7.5, 97.5, 360, -7.5.
std::string AngleText(double degrees);

}  // namespace stepdial
