// Form1 as stepdial runs it, on a port that timestamps every write, for the figures
// command: a person (xdotool) types an angle and presses the start button; once the motor
// has stood still for half a second the program measures two seconds at rest, prints its
// figures (bench/tick_log.h) and ends.
//
//   form1_ticks [--sim] [--xserver-pid PID] [--steps-per-second N]
//
// With --sim it is stepdial-sim: the writes go on to the simulated port and the "Virtual
// motor" window shows them. Without, they end at the timestamp: there is no port under
// Xvfb, so the real program's write to it is the one thing left out.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "qt/form1_widget.h"
#include "sim/simulated_port.h"
#include "bench/tick_log.h"
#include "sim/virtual_motor.h"
#include "sim/virtual_motor_panel.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    bool sim = false;
    stepdial::MotorModel model;
    for (int i = 1; i < argc; ++i) {
        sim = sim || std::strcmp(argv[i], "--sim") == 0;
        if (std::strcmp(argv[i], "--steps-per-second") == 0 && i + 1 < argc)
            model.stepsPerSecond = std::atoi(argv[i + 1]);
    }

    stepdial::bench::TickLog log(stepdial::bench::XServerArgument(argc, argv));
    stepdial::VirtualMotor motor(model);
    stepdial::SimulatedPort simulated(motor);
    stepdial::bench::TimestampingPort port(log, sim ? &simulated : nullptr);
    std::unique_ptr<stepdial::VirtualMotorPanel> panel;
    if (sim) panel = std::make_unique<stepdial::VirtualMotorPanel>(motor, simulated);

    stepdial::qt::Form1Widget form(port, stepdial::qt::ShowCriticalBox, model);
    port.SetGridPoint([&form] { return form.Timer1().Schedule().Deadline() - form.Timer1().Schedule().Period(); });
    if (!form.Form().Load()) return 1;
    form.show();
    if (panel) {
        panel->KeepBeside(form);
        panel->show();
    }
    log.EndAfterArrival([] { QCoreApplication::quit(); });
    const int status = QApplication::exec();
    log.Print(stdout);
    std::printf("deadlines_skipped %lld\n", static_cast<long long>(form.Timer1().Schedule().Skipped()));
    return status;
}
