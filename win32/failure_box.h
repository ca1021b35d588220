#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/chosen_port_start.h"

namespace stepdial::win32 {

// Shows the operator a failure and returns once it has been acknowledged. `owner` is
// the window the box belongs to, or null while no window is shown.
using FailureBox = std::function<void(HWND owner, const std::wstring& message)>;

// A modal error box titled with the program's name.
void ShowErrorBox(HWND owner, const std::wstring& message);

// The box of a port that cannot be used at start-up, with a button that offers to choose
// another port. Where Windows has no task dialog, the plain error box.
StartUpAnswer AskAfterStartUpFailure(const std::wstring& message);

}  // namespace stepdial::win32
