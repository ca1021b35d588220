#pragma once

#include <windows.h>

#include <system_error>

namespace stepdial {

// A Windows error code whose message() is Windows' own text, as FormatMessage gives it,
// with the code after it.
std::error_code WindowsError(DWORD code);

}  // namespace stepdial
