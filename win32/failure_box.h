#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace stepdial::win32 {

// Shows the operator a failure and returns once it has been acknowledged. `owner` is
// the window the box belongs to, or null while no window is shown.
using FailureBox = std::function<void(HWND owner, const std::wstring& message)>;

// A modal error box titled with the program's name.
void ShowErrorBox(HWND owner, const std::wstring& message);

}  // namespace stepdial::win32
