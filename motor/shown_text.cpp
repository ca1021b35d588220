#include "motor/shown_text.h"

#include <cstdint>
#include <cstdio>

namespace stepdial {
namespace {

bool IsBidiControl(char32_t c) {
    return c == 0x061c || c == 0x200e || c == 0x200f || (c >= 0x202a && c <= 0x202e) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool Unsafe(char32_t c) {
    return c < 0x20 || c == ';' || c == '\\' || (c >= 0x7f && c <= 0x9f) || c == 0x2028 || c == 0x2029 ||
           IsBidiControl(c);
}

// The length of the UTF-8 sequence at `text`, and its code point; 0 for a malformed one.
std::size_t Decode(std::string_view text, char32_t& c) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xe  ? 3
                         : (lead >> 3) == 0x1e ? 4
                                               : 0;
    if (length == 0 || length > text.size()) return 0;
    c = length == 1 ? lead : lead & (0x7f >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xc0) != 0x80) return 0;
        c = c << 6 | (byte(i) & 0x3f);
    }
    // Overlong forms and surrogates hide one character behind another.
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10ffff || (c >= 0xd800 && c <= 0xdfff)) return 0;
    return length;
}

}  // namespace

std::string ShownSafely(std::string_view text) {
    std::string shown;
    char escape[16];
    while (!text.empty()) {
        char32_t c = 0;
        const std::size_t length = Decode(text, c);
        if (length == 0) {
            std::snprintf(escape, sizeof escape, "\\x%02x", unsigned{static_cast<std::uint8_t>(text[0])});
            shown += escape;
            text.remove_prefix(1);
            continue;
        }
        if (Unsafe(c)) {
            std::snprintf(escape, sizeof escape, c < 0x80 ? "\\x%02x" : "\\u{%04x}",
                          static_cast<unsigned>(c));
            shown += escape;
        } else {
            shown += text.substr(0, length);
        }
        text.remove_prefix(length);
    }
    return shown;
}

}  // namespace stepdial
