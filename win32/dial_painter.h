#pragma once

#include <windows.h>

#include "core/dial.h"
#include "core/layout.h"

namespace stepdial::win32 {

// Shape1 and Line1 in pixels of the window's client area at `dpi`. The design counts
// their pen widths in pixels at 96 dpi; they grow with the DPI as the rest of the window
// does.

// The square the circle is drawn in: the shape's box's smaller side, centred in the box.
RECT CircleSquare(const layout::Box& shape, int dpi);

// The needle's end points, rounded to the nearest pixel.
struct PixelLine {
    POINT from, to;
};
PixelLine NeedlePixels(const NeedleLine::Points& line, int dpi);

// Every pixel the needle as drawn from `line` can touch, its round ends included.
RECT NeedleArea(const NeedleLine::Points& line, int dpi);

int PenWidth(int pixelsAt96, int dpi);

// Draws the circle, then the needle over it, in the window's text colour.
void PaintDial(HDC dc, const layout::Box& shape, const NeedleLine::Points& line, int dpi);

}  // namespace stepdial::win32
