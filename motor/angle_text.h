#pragma once

#include <string_view>

namespace stepdial {

// Reads the number at the start of the entry's text, the way the operator expects:
// leading blanks skipped, an optional + or -, digits with an optional fraction
// (".5" and "5." count), an optional exponent; the longest such prefix is the number,
// and text that does not start with one is 0. The decimal separator is always '.',
// whatever the locale. A number beyond a double saturates to an infinity of its sign;
// one too small for a double is 0.
double ParseAngleText(std::string_view text);

}  // namespace stepdial
