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

// The program's exit status once Form1's life is over, for main to return. On Wayland the
// process ends here with it: Qt 6.4's Wayland client can wait for ever in QApplication's
// destructor for its event thread, left in a read nobody finishes, and a program that
// lingers after its window closed still holds the port. Nothing of the program's own is
// left to tear down by then, and the kernel closes the port's device.
int LeaveDesktop(int status);

}  // namespace stepdial::qt
