#pragma once

#include <windows.h>

namespace stepdial::win32 {

// Per-monitor DPI, where Windows has it (10 version 1607 on); the system's DPI before.
// The functions are looked up at run time, so the program still starts on Windows 7.

// The dots per inch `window` is shown at.
int WindowDpi(HWND window);

// The system's message font, sized for `dpi`.
LOGFONTW MessageFont(int dpi);

// The window rectangle whose client area is `client`, at `dpi`.
RECT WindowRectFor(RECT client, DWORD style, DWORD exStyle, int dpi);

}  // namespace stepdial::win32
