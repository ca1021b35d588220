#pragma once

#include <QApplication>
#include <memory>

namespace stepdial::qt {

// The application on the operator's desktop, or nothing when there is no desktop to
// show a window on (started from a console, a service, or ssh without X forwarding).
// Then it has said so on standard error, and the program ends with status 1: Qt alone
// would abort with a core dump and a hint to reinstall. `desktopEntry` is the program's
// menu entry (its .desktop file's name without the suffix): Wayland's app id, by which
// docks and task switchers find the entry's name and icon for the windows.
std::unique_ptr<QApplication> OpenDesktop(int& argc, char** argv, const char* desktopEntry);

// The program's exit status once Form1's life is over, for main to return. On Wayland (on
// every platform plugin of Qt's Wayland client: "wayland", "wayland-egl", "wayland-brcm",
// ...) the process ends here with it: Qt 6.4's Wayland client can wait for ever in
// QApplication's destructor for its event thread, left in a read nobody finishes. By
// then main would have destroyed the port (it is made after the application), so what
// lingers holds no port, but it never ends, and whatever started it waits for ever. The
// port's device, still open here, is closed by the kernel as the process ends, as the
// port's destructor would close it; nothing else of the program's own needs tearing down.
int LeaveDesktop(int status);

}  // namespace stepdial::qt
