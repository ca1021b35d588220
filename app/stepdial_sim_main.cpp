#include <cstdio>
#include <cstring>
#include <string>

#include "core/motor_settings.h"
#include "core/port_settings.h"
#include "qt/desktop.h"
#include "qt/run_form.h"
#include "qt/user_settings.h"
#include "sim/simulated_port.h"
#include "sim/virtual_motor.h"
#include "sim/virtual_motor_panel.h"

namespace {

// Names the settings the simulator follows; the port choice is not one of them, since the
// simulated port stands in for whichever the operator chose.
void PrintHelp() {
    using namespace stepdial;
    const std::string text =
        "Usage: stepdial-sim [Qt options]\n"
        "stepdial on a simulated parallel port, with a virtual motor in a window beside Form1.\n"
        "\n"
        "It drives the motor set up in the \"" +
        std::string(settings_text::kTitle) + "\" window (stepdial --settings):\n  " +
        settings_key::kStepsPerRevolution + ", " + settings_key::kDrive + " and " +
        settings_key::kStepsPerSecond +
        ",\nread from ~/.config/stepdial/stepdial.conf over /etc/xdg/stepdial/stepdial.conf.\n"
        "It ignores the port choice.\n";
    std::fputs(text.c_str(), stdout);
}

}  // namespace

// The same program as stepdial, on a parallel port that exists only in memory, with the
// motor it drives shown in a window of its own beside Form1 (where the desktop lets a
// program place its windows) or behind it.
int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return 0;
        }
    }
    const auto app = stepdial::qt::OpenDesktop(argc, argv, STEPDIAL_DESKTOP_ENTRY);
    if (!app) return 1;
    const stepdial::MotorModel model = stepdial::LoadMotor(stepdial::qt::UserSettings());
    stepdial::VirtualMotor motor(model);
    stepdial::SimulatedPort port(motor);
    stepdial::VirtualMotorPanel panel(motor, port);
    return stepdial::qt::LeaveDesktop(stepdial::qt::RunForm1(
        *app, port,
        [&panel](QWidget& form) {
            panel.KeepBeside(form);
            panel.show();
        },
        stepdial::qt::ShowCriticalBox, model));
}
