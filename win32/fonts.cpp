#include "win32/fonts.h"

#include <algorithm>
#include <cmath>

#include "win32/dpi.h"
#include "motor/utf16.h"

namespace stepdial::win32 {

int FontHeight(double points, int dpi) { return -static_cast<int>(std::lround(points * dpi / 72.0)); }

LOGFONTW DesignFont(const layout::Font& font, int dpi) {
    LOGFONTW description{};
    description.lfHeight = FontHeight(font.points, dpi);
    description.lfWeight = font.weight;
    description.lfCharSet = static_cast<BYTE>(font.charset);
    const std::wstring face = Wide(font.family);
    std::copy_n(face.c_str(), std::min<std::size_t>(face.size() + 1, LF_FACESIZE - 1), description.lfFaceName);
    return description;
}

LOGFONTW ControlFont(int dpi) {
    LOGFONTW description = MessageFont(dpi);
    description.lfCharSet = HEBREW_CHARSET;
    return description;
}

}  // namespace stepdial::win32
