#include <windows.h>
#include <commctrl.h>

#include "motor/hardware_port.h"
#include "win32/parent_console.h"
#include "win32/run_form.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    stepdial::win32::SendErrorsToParentConsole();
    // The manifest asks for version 6 of the common controls; their classes take over
    // BUTTON, EDIT and STATIC once the library has registered them.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const auto port = stepdial::MakeHardwarePort();
    return stepdial::win32::RunForm1(*port, showCommand);
}
