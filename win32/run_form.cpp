#include "run_form.h"

#include "form1_window.h"

namespace stepdial::win32 {

int RunForm1(Port& port, int showCommand) {
    Form1Window form(port);
    // A port that cannot be bound is reported before the window is ever shown.
    if (!form.Load()) return form.Form().ExitStatus();
    form.Show(showCommand);

    MSG message;
    for (BOOL got; (got = ::GetMessageW(&message, nullptr, 0, 0)) != 0;) {
        if (got == -1) return 1;
        if (form.Navigate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return form.Form().Failed() ? form.Form().ExitStatus() : static_cast<int>(message.wParam);
}

}  // namespace stepdial::win32
