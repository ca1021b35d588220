#include "qt/desktop.h"
#include "qt/run_form.h"
#include "sim/simulated_port.h"
#include "sim/virtual_motor.h"
#include "sim/virtual_motor_panel.h"

// The same program as stepdial, on a parallel port that exists only in memory, with the
// motor it drives shown in a window of its own beside Form1 (where the desktop lets a
// program place its windows) or behind it.
int main(int argc, char* argv[]) {
    const auto app = stepdial::qt::OpenDesktop(argc, argv, STEPDIAL_DESKTOP_ENTRY);
    if (!app) return 1;
    stepdial::VirtualMotor motor;
    stepdial::SimulatedPort port(motor);
    stepdial::VirtualMotorPanel panel(motor, port);
    return stepdial::qt::LeaveDesktop(stepdial::qt::RunForm1(*app, port, [&panel](QWidget& form) {
        panel.KeepBeside(form);
        panel.show();
    }));
}
