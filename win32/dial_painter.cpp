#include "win32/dial_painter.h"

#include <algorithm>

#include "win32/twips.h"

namespace stepdial::win32 {

RECT CircleSquare(const layout::Box& shape, int dpi) {
    const RECT box = PixelBox(shape, dpi);
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    const LONG diameter = std::min(width, height);
    const LONG x = box.left + (width - diameter) / 2;
    const LONG y = box.top + (height - diameter) / 2;
    return {x, y, x + diameter, y + diameter};
}

PixelLine NeedlePixels(const NeedleLine::Points& line, int dpi) {
    return {{PixelAt(line.x1, dpi), PixelAt(line.y1, dpi)}, {PixelAt(line.x2, dpi), PixelAt(line.y2, dpi)}};
}

RECT NeedleArea(const NeedleLine::Points& line, int dpi) {
    const PixelLine pixels = NeedlePixels(line, dpi);
    // Half the pen's width reaches past each end point; one more pixel for GDI's rounding.
    const LONG margin = PenWidth(layout::kLine1.widthPixels, dpi) / 2 + 1;
    return {std::min(pixels.from.x, pixels.to.x) - margin, std::min(pixels.from.y, pixels.to.y) - margin,
            std::max(pixels.from.x, pixels.to.x) + margin + 1, std::max(pixels.from.y, pixels.to.y) + margin + 1};
}

int PenWidth(int pixelsAt96, int dpi) { return std::max(1, ::MulDiv(pixelsAt96, dpi, 96)); }

void PaintDial(HDC dc, const layout::Box& shape, const NeedleLine::Points& line, int dpi) {
    const COLORREF ink = ::GetSysColor(COLOR_WINDOWTEXT);
    const int saved = ::SaveDC(dc);

    // An outline only: the dial shows the form's background through it.
    const HPEN outline = ::CreatePen(PS_SOLID, PenWidth(1, dpi), ink);
    ::SelectObject(dc, outline);
    ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    const RECT square = CircleSquare(shape, dpi);
    ::Ellipse(dc, square.left, square.top, square.right, square.bottom);

    // GDI ends a pen wider than one pixel round, as the design's line was drawn.
    const HPEN needle = ::CreatePen(PS_SOLID, PenWidth(layout::kLine1.widthPixels, dpi), ink);
    ::SelectObject(dc, needle);
    const PixelLine pixels = NeedlePixels(line, dpi);
    ::MoveToEx(dc, pixels.from.x, pixels.from.y, nullptr);
    ::LineTo(dc, pixels.to.x, pixels.to.y);

    ::RestoreDC(dc, saved);
    ::DeleteObject(needle);
    ::DeleteObject(outline);
}

}  // namespace stepdial::win32
