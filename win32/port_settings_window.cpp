#include "win32/port_settings_window.h"

#include <algorithm>
#include <exception>

#include "motor/utf16.h"
#include "win32/dialog_template.h"
#include "win32/failure_box.h"

namespace stepdial::win32 {
namespace {

constexpr WORD kPortList = 100;
constexpr WORD kNote = 101;

// The selected row becomes the saved choice; a registry that refuses it is told, and the
// window stays open for another try or Cancel.
void Accept(HWND dialog, PortSettings& settings) {
    const LRESULT row = ::SendDlgItemMessageW(dialog, kPortList, LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) settings.Select(static_cast<std::size_t>(row));
    try {
        settings.Accept();
    } catch (const std::exception& e) {
        ShowErrorBox(dialog, Wide(e.what()));
        return;
    }
    ::EndDialog(dialog, IDOK);
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
    auto* settings = reinterpret_cast<PortSettings*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        ShowRows(dialog, *reinterpret_cast<PortSettings*>(lParam));
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

bool ShowPortSettings(PortSettings& settings, HWND owner) {
    DialogTemplate design(Wide(settings_text::kTitle), 300, 160);
    design.Add(0xFFFF, DialogTemplate::kStatic, SS_LEFT, {7, 7, 293, 17},
               Wide(settings_text::kPortListLabel));
    design.Add(kPortList, DialogTemplate::kListBox,
               LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP,
               {7, 18, 293, 98}, L"");
    design.Add(kNote, DialogTemplate::kStatic, SS_LEFT, {7, 102, 293, 134}, L"");
    design.Add(IDOK, DialogTemplate::kButton, BS_DEFPUSHBUTTON | WS_TABSTOP, {189, 139, 239, 153}, L"OK");
    design.Add(IDCANCEL, DialogTemplate::kButton, BS_PUSHBUTTON | WS_TABSTOP, {243, 139, 293, 153},
               L"Cancel");
    return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), design.Get(), owner, &Procedure,
                                     reinterpret_cast<LPARAM>(&settings)) == IDOK;
}

bool ChoosePortInWindow(SettingsStore& store, HWND owner) {
    PortSettings settings(store, SurveyPorts());
    return ShowPortSettings(settings, owner);
}

}  // namespace stepdial::win32
