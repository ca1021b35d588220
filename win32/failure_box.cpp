#include "win32/failure_box.h"

#include <commctrl.h>

#include "core/port_settings.h"
#include "motor/utf16.h"

namespace stepdial::win32 {

void ShowErrorBox(HWND owner, const std::wstring& message) {
    ::MessageBoxW(owner, message.c_str(), L"stepdial", MB_OK | MB_ICONERROR);
}

StartUpAnswer AskAfterStartUpFailure(const std::wstring& message) {
    // A message box has no button of the program's own; the task dialog, which has, is in
    // version 6 of the common controls alone (the program's manifest asks for it).
    using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
    const HMODULE controls = ::GetModuleHandleW(L"comctl32.dll");
    const auto taskDialog = controls ? reinterpret_cast<TaskDialogFunction>(reinterpret_cast<void*>(
                                           ::GetProcAddress(controls, "TaskDialogIndirect")))
                                     : nullptr;
    if (!taskDialog) {
        ShowErrorBox(nullptr, message);
        return StartUpAnswer::Close;
    }
    constexpr int kChoose = 100;
    const std::wstring choose = Wide(settings_text::kChooseAnotherPort);
    const TASKDIALOG_BUTTON buttons[] = {{kChoose, choose.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.dwCommonButtons = TDCBF_CLOSE_BUTTON;
    config.pszWindowTitle = L"stepdial";
    config.pszMainIcon = TD_ERROR_ICON;
    config.pszContent = message.c_str();
    config.cButtons = 1;
    config.pButtons = buttons;
    config.nDefaultButton = IDCLOSE;
    int pressed = IDCLOSE;
    if (FAILED(taskDialog(&config, &pressed, nullptr, nullptr))) {
        ShowErrorBox(nullptr, message);
        return StartUpAnswer::Close;
    }
    return pressed == kChoose ? StartUpAnswer::ChooseAnotherPort : StartUpAnswer::Close;
}

}  // namespace stepdial::win32
