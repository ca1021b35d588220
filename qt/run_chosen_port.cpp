#include "qt/run_chosen_port.h"

#include "qt/port_settings_dialog.h"
#include "qt/run_form.h"

namespace stepdial::qt {

int RunOnChosenPort(QApplication& app, SettingsStore& store,
                    const std::function<std::unique_ptr<Port>(const PortChoice&)>& open) {
    const auto runForm1 = [&](Port& port, StartUpAnswer& answer) {
        // Once Form1 shows, the port was usable at start-up: a later failure only ends the program.
        bool shown = false;
        return RunForm1(
            app, port, [&](QWidget&) { shown = true; },
            [&](const QString& message) {
                if (shown) {
                    ShowCriticalBox(message);
                } else {
                    answer = AskAfterStartUpFailure(message);
                }
            });
    };
    return StartOnChosenPort(store, {open, runForm1, [&] { return ChoosePortInWindow(store); }});
}

}  // namespace stepdial::qt
