#pragma once

#include <array>
#include <stdexcept>
#include <string_view>

namespace stepdial::layout {

// Form1 as designed, for every front end. Positions and sizes are in twips (1/1440 inch)
// from the top-left corner of the client area; texts are UTF-8 in logical order.

enum class Kind { Timer, Button, TextBox, Shape, Label, Line };

struct Box {
    int left, top, width, height;
};

struct Font {
    std::string_view family;
    double points;
    int weight;
    // The Windows character-set number; 177 is Hebrew. Toolkits that pick glyphs by
    // script ignore it.
    int charset;
};

inline constexpr Font kCaptionFont{"David", 15.75, 700, 177};
inline constexpr Font kTitleFont{"David", 18, 700, 177};

struct Control {
    std::string_view name;
    Kind kind;
    Box box{};                  // none for the timer and the line
    std::string_view text{};    // caption or entry text
    int tabIndex = -1;          // -1: not in the tab order
    const Font* font = nullptr; // nullptr: the platform's default typeface
};

// In creation order: where two overlap, the later one lies on top (the readout over the
// edge of its caption, the needle over the dial).
inline constexpr std::array<Control, 8> kForm1Controls{{
    {"Timer1", Kind::Timer},
    {"Command1", Kind::Button, {120, 120, 615, 375}, "סע", 1},
    {"Text1", Kind::TextBox, {840, 120, 615, 375}, "360", 0},
    {"Shape1", Kind::Shape, {240, 600, 2895, 2775}},
    {"Label3", Kind::Label, {960, 3600, 2415, 375}, ":כיוון המנוע עכשיו", 4, &kCaptionFont},
    {"Label2", Kind::Label, {120, 3600, 855, 375}, "0", 3, &kCaptionFont},
    {"Label1", Kind::Label, {1560, 120, 2055, 375}, ":זוית במעלות", 2, &kTitleFont},
    {"Line1", Kind::Line},
}};

struct Window {
    std::string_view caption;
    int clientWidth, clientHeight;
};

inline constexpr Window kForm1{"Form1", 3450, 4035};

// Its interval is the motor's tick period (motor/tick_period.h).
struct Timer {
    bool enabled;
};

inline constexpr Timer kTimer1{true};

struct Line {
    float x1, y1, x2, y2;  // twips: the pivot, and the tip at 0 degrees
    int widthPixels;
};

inline constexpr Line kLine1{1700, 2000, 2900, 2000, 4};
// The needle's length in twips: from the pivot to the tip at 0 degrees.
inline constexpr double kNeedleLength = double{kLine1.x2} - kLine1.x1;

// The control of that name; a name not in the table does not compile where it is a constant.
constexpr const Control& ControlNamed(std::string_view name) {
    for (const Control& control : kForm1Controls) {
        if (control.name == name) return control;
    }
    throw std::out_of_range("no control of that name in Form1");
}

// Twips to pixels at `dpi` dots per inch, truncated as the design's own runtime does:
// at 96 dpi that is 15 twips to a pixel.
constexpr int TwipsToPixels(int twips, int dpi = 96) { return twips * dpi / 1440; }
constexpr double TwipsToPixels(double twips, int dpi = 96) { return twips * dpi / 1440.0; }

}  // namespace stepdial::layout
