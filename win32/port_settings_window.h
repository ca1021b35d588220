#pragma once

#include <windows.h>

#include "core/port_settings.h"

namespace stepdial::win32 {

// The settings window on Win32, a modal dialog: the port list with its label and note, OK
// and Cancel. OK saves the selected row. Returns once it is closed; true after OK.
bool ShowPortSettings(PortSettings& settings, HWND owner = nullptr);

// Surveys the ports and shows the window over `store`.
bool ChoosePortInWindow(SettingsStore& store, HWND owner = nullptr);

}  // namespace stepdial::win32
