#pragma once

#include <windows.h>

#include "core/motor_settings.h"
#include "core/port_settings.h"

namespace stepdial::win32 {

// The settings window on Win32, a modal dialog: the port list with its label and note, the
// motor's fields, OK and Cancel. OK saves the selected row and the motor, or tells under the
// fields what keeps the motor from being saved. Returns once it is closed; true after OK.
bool ShowPortSettings(PortSettings& settings, MotorSettings& motor, HWND owner = nullptr);

// Surveys the ports and shows the window over `store`.
bool ChoosePortInWindow(SettingsStore& store, HWND owner = nullptr);

}  // namespace stepdial::win32
