#pragma once

#include <string>
#include <string_view>

namespace stepdial {

// Reads the number at the start of the entry's text, the way the operator expects:
// leading blanks skipped, an optional + or -, digits with an optional fraction
// (".5" and "5." count), an optional exponent; the longest such prefix is the number,
// and text that does not start with one is 0. The decimal separator is always '.',
// whatever the locale. A number beyond a double saturates to an infinity of its sign;
// one too small for a double is 0.
double ParseAngleText(std::string_view text);

// The shortest plain decimal text that reads back as `degrees`: '.' before any fraction
// whatever the locale, no trailing zeros, no point for whole numbers, never an exponent:
// 0, 7.5, 97.5, 360, -7.5, 300000.
std::string FormatAngleText(double degrees);

// The shaft's angle as the readout shows it: as many decimals as the step angle has, at
// most kReadoutDecimals, trailing zeros dropped, never an exponent. A shortest text that
// already fits is kept as it is (every multiple of 7.5 reads as FormatAngleText gives
// it); a longer one (a multiple of 1.8 a hair off in binary, or of 0.17578125) is rounded:
// 5.4, 89.82, 90.
inline constexpr int kReadoutDecimals = 2;
std::string FormatShaftAngle(double degrees, double stepAngle);

}  // namespace stepdial
