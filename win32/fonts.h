#pragma once

#include <windows.h>

#include <utility>

#include "core/layout.h"

namespace stepdial::win32 {

// A GDI font owned by its holder.
class Font {
public:
    Font() = default;
    explicit Font(const LOGFONTW& description) : handle_(::CreateFontIndirectW(&description)) {}
    Font(Font&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
    Font& operator=(Font&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font() {
        if (handle_) ::DeleteObject(handle_);
    }

    HFONT Handle() const { return handle_; }

private:
    HFONT handle_ = nullptr;
};

// The character height GDI takes for `points` at `dpi`: negative, so the size excludes
// the internal leading as a point size does; rounded to the nearest pixel, since the
// captions' 15.75 points fall between pixels at most DPIs.
int FontHeight(double points, int dpi);

// A design's typeface at `dpi`.
LOGFONTW DesignFont(const layout::Font& font, int dpi);

// What a control without a typeface of its own shows its text in: the system's message
// font, asked for with the Hebrew character set so the font mapper picks a face with
// glyphs for the button's caption.
LOGFONTW ControlFont(int dpi);

}  // namespace stepdial::win32
