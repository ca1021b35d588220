#include "win32/run_chosen_port.h"

#include "win32/failure_box.h"
#include "win32/port_settings_window.h"
#include "win32/run_form.h"

namespace stepdial::win32 {

int RunOnChosenPort(SettingsStore& store, int showCommand,
                    const std::function<std::unique_ptr<Port>(const PortChoice&)>& open,
                    const std::function<StartUpAnswer(const std::wstring&)>& ask) {
    const auto runForm1 = [&](Port& port, StartUpAnswer& answer) {
        // Form1 has no window on screen yet (no owner) while the port fails at start-up.
        return RunForm1(port, showCommand, [&](HWND owner, const std::wstring& message) {
            if (owner) {
                ShowErrorBox(owner, message);
            } else {
                answer = ask(message);
            }
        });
    };
    return StartOnChosenPort(store, {open, runForm1, [&] { return ChoosePortInWindow(store); }});
}

}  // namespace stepdial::win32
