#include "qt/desktop.h"
#include "motor/hardware_port.h"
#include "qt/run_form.h"

int main(int argc, char* argv[]) {
    const auto app = stepdial::qt::OpenDesktop(argc, argv, STEPDIAL_DESKTOP_ENTRY);
    if (!app) return 1;
    const auto port = stepdial::MakeHardwarePort();
    return stepdial::qt::LeaveDesktop(stepdial::qt::RunForm1(*app, *port));
}
