#include "win32/run_form.h"

#include <exception>
#include <memory>

#include "motor/utf16.h"
#include "win32/form1_window.h"

namespace stepdial::win32 {
namespace {

// Until WM_QUIT: its code is the status the window asked for.
int RunMessageLoop(Form1Window& form) {
    MSG message;
    for (BOOL got; (got = ::GetMessageW(&message, nullptr, 0, 0)) != 0;) {
        if (got == -1) return kFailureStatus;
        if (form.Navigate(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

int RunForm1(Port& port, int showCommand, const FailureBox& box) {
    std::unique_ptr<Form1Window> form;
    try {
        form = std::make_unique<Form1Window>(port, box);
    } catch (const std::exception& e) {
        return ReportStartUpFailure(e.what(),
                                    [](const std::string& message) { ShowErrorBox(nullptr, Wide(message)); });
    }
    return form->Form().Live([&] { form->Show(showCommand); }, [&] { return RunMessageLoop(*form); });
}

}  // namespace stepdial::win32
