#pragma once

#include <functional>
#include <string>

#include "core/layout.h"
#include "motor/stepping_controller.h"

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

// The needle's end points as the window holds them; the front end draws them and hears
// of every change, with the line as it stood before, so it can repaint only what moved.
class NeedleLine : public LineControl {
public:
    struct Points {
        float x1, y1, x2, y2;
    };
    using Moved = std::function<void(const Points& before)>;

    explicit NeedleLine(const layout::Line& design = layout::kLine1)
        : points_{design.x1, design.y1, design.x2, design.y2} {}

    float X1() const override { return points_.x1; }
    float Y1() const override { return points_.y1; }
    float X2() const { return points_.x2; }
    float Y2() const { return points_.y2; }
    const Points& Get() const { return points_; }
    void SetX2(float x2) override { Move(&Points::x2, x2); }
    void SetY2(float y2) override { Move(&Points::y2, y2); }

    void OnMoved(Moved moved) { moved_ = std::move(moved); }

private:
    void Move(float Points::*end, float value);

    Points points_;
    Moved moved_;
};

// Points the needle at the motor's position: 0 degrees to the right, and clockwise on
// screen as the angle rises, since y grows downward. Throws std::range_error when an
// end coordinate is not a finite single-precision number; the line is then left as it
// was for that coordinate.
void UpdateNeedle(const SteppingController& controller, LineControl& needle);

// Shows the shaft's angle in degrees: the position times the step angle.
void UpdateReadout(const SteppingController& controller, LabelControl& readout);

}  // namespace stepdial
