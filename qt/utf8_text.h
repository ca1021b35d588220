#pragma once

#include <QString>
#include <string_view>

namespace stepdial::qt {

// The core's texts are UTF-8 string views, which need not end in a null.
inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace stepdial::qt
