#include <windows.h>
// After windows.h, whose types they use.
#include <commctrl.h>
#include <shellapi.h>

#include <string_view>

#include "win32/parent_console.h"
#include "win32/port_settings_window.h"
#include "win32/registry_settings.h"
#include "win32/run_chosen_port.h"

namespace {

// Whether the command line holds `option` (the Start menu's settings shortcut gives it).
bool HasOption(std::wstring_view option) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    bool found = false;
    for (int i = 1; arguments && i < count; ++i) found = found || option == arguments[i];
    ::LocalFree(arguments);
    return found;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    stepdial::win32::SendErrorsToParentConsole();
    // The manifest asks for version 6 of the common controls; their classes take over
    // BUTTON, EDIT and STATIC once the library has registered them.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    stepdial::win32::RegistrySettings settings;
    if (HasOption(L"--settings")) {
        stepdial::win32::ChoosePortInWindow(settings);
        return 0;
    }
    return stepdial::win32::RunOnChosenPort(settings, showCommand);
}
