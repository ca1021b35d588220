#pragma once

#include <windows.h>

#include <cmath>

#include "core/layout.h"

namespace stepdial::win32 {

// The window is laid out in physical pixels at its monitor's DPI, each of a box's left,
// top, width and height truncated on its own, as the design's runtime did.
inline RECT PixelBox(const layout::Box& box, int dpi) {
    using layout::TwipsToPixels;
    const int left = TwipsToPixels(box.left, dpi);
    const int top = TwipsToPixels(box.top, dpi);
    return {left, top, left + TwipsToPixels(box.width, dpi), top + TwipsToPixels(box.height, dpi)};
}

// A line's end point, which moves in fractions of a twip, to the nearest pixel.
inline LONG PixelAt(float twips, int dpi) { return std::lround(layout::TwipsToPixels(double{twips}, dpi)); }

}  // namespace stepdial::win32
