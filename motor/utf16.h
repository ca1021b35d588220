#pragma once

#include <string>
#include <string_view>

namespace stepdial {

// The program speaks UTF-8; Windows' wide functions speak UTF-16.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

}  // namespace stepdial
