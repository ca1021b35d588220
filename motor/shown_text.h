#pragma once

#include <string>
#include <string_view>

namespace stepdial {

// Text from another process (its name), made fit to stand inside a message: control
// characters (a newline, ESC), the bidirectional controls (which would reverse the rest
// of the box), ';' (which the messages put between two holders) and '\' (which would
// make a name that holds "\x0a" look like one holding a newline) are shown as escapes,
// \xNN or \u{NNNN}, and bytes that are not UTF-8 as \xNN.
std::string ShownSafely(std::string_view text);

}  // namespace stepdial
