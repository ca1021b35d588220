#pragma once

#include <QRect>

namespace stepdial {

// The window is laid out in twips, 15 to a logical pixel; Qt maps logical pixels to
// the screen's device pixels itself on high-density screens.
constexpr int TwipsToPixels(int twips) { return twips / 15; }
constexpr double TwipsToPixels(double twips) { return twips / 15.0; }

inline QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

}  // namespace stepdial
