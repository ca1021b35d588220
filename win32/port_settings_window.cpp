#include "win32/port_settings_window.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <string>

#include "motor/utf16.h"
#include "win32/dialog_template.h"
#include "win32/failure_box.h"
#include "win32/waitable_timer_wake_up.h"

namespace stepdial::win32 {
namespace {

constexpr WORD kPortList = 100;
constexpr WORD kNote = 101;
constexpr WORD kSteps = 102;
constexpr WORD kDrive = 103;
constexpr WORD kSpeed = 104;
constexpr WORD kProblem = 105;

struct Settings {
    PortSettings& port;
    MotorSettings& motor;
};

std::string FieldText(HWND dialog, WORD field) {
    wchar_t text[64] = L"";
    ::GetDlgItemTextW(dialog, field, text, static_cast<int>(std::size(text)));
    return Utf8(text);
}

// The selected row and the motor become the saved choice; a registry that refuses them is
// told, and the window stays open for another try or Cancel.
void Accept(HWND dialog, Settings& settings) {
    const LRESULT row = ::SendDlgItemMessageW(dialog, kPortList, LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) settings.port.Select(static_cast<std::size_t>(row));
    const LRESULT drive = ::SendDlgItemMessageW(dialog, kDrive, CB_GETCURSEL, 0, 0);
    std::string problem;
    try {
        problem = settings.motor.Accept(FieldText(dialog, kSteps),
                                        drive == CB_ERR ? 0 : static_cast<std::size_t>(drive),
                                        FieldText(dialog, kSpeed));
        if (problem.empty()) settings.port.Accept();
    } catch (const std::exception& e) {
        ShowErrorBox(dialog, Wide(e.what()));
        return;
    }
    ::SetDlgItemTextW(dialog, kProblem, Wide(problem).c_str());
    if (problem.empty()) ::EndDialog(dialog, IDOK);
}

void ShowMotor(HWND dialog, const MotorSettings& motor) {
    for (const auto& preset : kStepsPresets)
        ::SendDlgItemMessageW(dialog, kSteps, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(Wide(preset.text).c_str()));
    ::SetDlgItemTextW(dialog, kSteps, Wide(motor.StepsText()).c_str());
    for (const auto& choice : kDriveChoices)
        ::SendDlgItemMessageW(dialog, kDrive, CB_ADDSTRING, 0,
                              reinterpret_cast<LPARAM>(Wide(choice.text).c_str()));
    ::SendDlgItemMessageW(dialog, kDrive, CB_SETCURSEL, motor.DriveRow(), 0);
    ::SetDlgItemTextW(dialog, kSpeed, Wide(motor.SpeedText()).c_str());
}

// The rows, the current one selected, and the note under them.
void ShowRows(HWND dialog, const PortSettings& settings) {
    const HWND list = ::GetDlgItem(dialog, kPortList);
    // A board's description can be longer than the list is wide: the list then scrolls.
    const HDC context = ::GetDC(list);
    const HGDIOBJ oldFont =
        ::SelectObject(context, reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    for (const auto& row : settings.Rows()) {
        const std::wstring text = Wide(row.text);
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SIZE size{};
        ::GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, size.cx);
    }
    ::SelectObject(context, oldFont);
    ::ReleaseDC(list, context);
    ::SendMessageW(list, LB_SETHORIZONTALEXTENT, widest + ::GetSystemMetrics(SM_CXEDGE) * 2, 0);
    ::SendMessageW(list, LB_SETCURSEL, settings.Selected(), 0);
    ::SetDlgItemTextW(dialog, kNote, Wide(settings.Note()).c_str());
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* settings = reinterpret_cast<Settings*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ShowRows(dialog, reinterpret_cast<Settings*>(lParam)->port);
        ShowMotor(dialog, reinterpret_cast<Settings*>(lParam)->motor);
        ::SetFocus(::GetDlgItem(dialog, kPortList));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || (LOWORD(wParam) == kPortList && HIWORD(wParam) == LBN_DBLCLK)) {
            Accept(dialog, *settings);
        } else if (LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

bool ShowPortSettings(PortSettings& port, MotorSettings& motor, HWND owner) {
    DialogTemplate design(Wide(settings_text::kTitle), 300, 230);
    design.Add(0xFFFF, DialogTemplate::kStatic, SS_LEFT, {7, 7, 293, 17},
               Wide(settings_text::kPortListLabel));
    design.Add(kPortList, DialogTemplate::kListBox,
               LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP,
               {7, 18, 293, 98}, L"");
    design.Add(kNote, DialogTemplate::kStatic, SS_LEFT, {7, 102, 293, 134}, L"");
    design.Add(0xFFFF, DialogTemplate::kStatic, SS_LEFT, {7, 141, 117, 151},
               Wide(settings_text::kStepsLabel));
    design.Add(kSteps, DialogTemplate::kComboBox, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
               {120, 139, 293, 219}, L"");
    design.Add(0xFFFF, DialogTemplate::kStatic, SS_LEFT, {7, 157, 117, 167},
               Wide(settings_text::kDriveLabel));
    design.Add(kDrive, DialogTemplate::kComboBox, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
               {120, 155, 293, 215}, L"");
    design.Add(0xFFFF, DialogTemplate::kStatic, SS_LEFT, {7, 173, 117, 183},
               Wide(settings_text::kSpeedLabel));
    design.Add(kSpeed, DialogTemplate::kEdit, ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
               {120, 171, 170, 183}, L"");
    design.Add(kProblem, DialogTemplate::kStatic, SS_LEFT, {7, 187, 293, 205}, L"");
    design.Add(IDOK, DialogTemplate::kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, {189, 209, 239, 223}, L"OK");
    design.Add(IDCANCEL, DialogTemplate::kButton, BS_PUSHBUTTON | WS_TABSTOP, {243, 209, 293, 223},
               L"Cancel");
    Settings settings{port, motor};
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), design.Get(), owner, &Procedure,
                                     reinterpret_cast<LPARAM>(&settings)) == IDOK;
}

bool ChoosePortInWindow(SettingsStore& store, HWND owner) {
    PortSettings port(store, SurveyPorts());
    MotorSettings motor(store, WaitableTimerWakeUp::Resolution());
    return ShowPortSettings(port, motor, owner);
}

}  // namespace stepdial::win32
