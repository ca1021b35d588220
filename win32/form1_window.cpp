#include "win32/form1_window.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "win32/dial_painter.h"
#include "win32/dpi.h"
#include "motor/utf16.h"
#include "win32/twips.h"

namespace stepdial::win32 {
namespace {

constexpr wchar_t kClassName[] = L"stepdial.Form1";
// The form paints the dial under its controls; clipping them keeps it from painting
// over them first and flickering.
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr int kFirstControlId = 100;

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

Key KeyOf(WPARAM virtualKey) {
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return Key::Other;
    switch (virtualKey) {
    case VK_TAB:
        return ::GetKeyState(VK_SHIFT) < 0 ? Key::BackTab : Key::Tab;
    case VK_RETURN:
        return Key::Enter;
    case VK_SPACE:
        return Key::Space;
    case VK_LEFT:
        return Key::Left;
    case VK_RIGHT:
        return Key::Right;
    case VK_UP:
        return Key::Up;
    case VK_DOWN:
        return Key::Down;
    default:
        return Key::Other;
    }
}

// A press the rule let through (Ctrl+Space, Ctrl let go first) has pushed the button and
// given it the mouse capture, which only its own Space release would take back: it comes
// up without a click, and the next click goes where it is aimed.
void ReleaseKeyPress(HWND button) {
    if (::GetCapture() == button) ::ReleaseCapture();
    if (::SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED) ::SendMessageW(button, BM_SETSTATE, FALSE, 0);
}

}  // namespace

Form1Window::Form1Window(Port& port, FailureBox box, const MotorModel& motor)
    : form_(port, *this, motor),
      box_(std::move(box)),
      timer1_([this] { form_.Timer1_Timer(); }, TickTimer<WaitableTimerWakeUp>::Unguarded,
              motor.TickPeriod()) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    if (!::GetClassInfoExW(instance, kClassName, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Form1Window::Procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        // The dial of the program's resources (icon 1) in the title bar and the taskbar.
        windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
        windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                               ::GetSystemMetrics(SM_CXSMICON),
                                                               ::GetSystemMetrics(SM_CYSMICON), 0));
        // The design's form has the colour of a button face, as a dialog does.
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        ::RegisterClassExW(&windowClass);
    }
    ::CreateWindowExW(0, kClassName, Wide(layout::kForm1.caption).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window_) throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "Form1");
    dpi_ = WindowDpi(window_);

    line1_.OnMoved([this](const NeedleLine::Points& before) { NeedleMoved(before); });
    for (std::size_t i = 0; i < layout::kForm1Controls.size(); ++i) Create(layout::kForm1Controls[i], i);

    RECT client{0, 0, layout::TwipsToPixels(layout::kForm1.clientWidth, dpi_),
                layout::TwipsToPixels(layout::kForm1.clientHeight, dpi_)};
    const RECT frame = WindowRectFor(client, kStyle, 0, dpi_);
    ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
    // The caret opens after the design angle, as a Qt entry opens: typing adds to what is
    // there on both, and Backspace takes it away. Placed only once the entry has its size
    // and font: Wine's edit control scrolls a caret placed in a box 0 pixels wide into
    // view, the text out of it, and does not scroll back when the box grows.
    for (const Child& child : children_) {
        if (child.design->kind != layout::Kind::TextBox) continue;
        const int end = ::GetWindowTextLengthW(child.window);
        ::SendMessageW(child.window, EM_SETSEL, static_cast<WPARAM>(end), end);
    }
}

Form1Window::~Form1Window() {
    if (!window_) return;
    // Destroyed by its owner, not closed by the operator: no handler and no quit message.
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
}

void Form1Window::Create(const layout::Control& design, std::size_t index) {
    const std::wstring text = Wide(design.text);
    HWND control = nullptr;
    const auto make = [&](DWORD exStyle, const wchar_t* type, DWORD style) {
        control = ::CreateWindowExW(exStyle, type, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)),
                                    ::GetModuleHandleW(nullptr), nullptr);
    };
    switch (design.kind) {
    case layout::Kind::Timer:
        timer1_.WakeUp().Attach(window_);
        timer1_.SetEnabled(form_.Moving());
        return;
    case layout::Kind::Button:
        // Not a default push button: Enter in the entry must not start the motor.
        make(0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON);
        break;
    case layout::Kind::TextBox:
        make(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL);
        break;
    case layout::Kind::Label:
        // A plain static control lays its text out with a left-to-right base direction
        // (no RTL reading order is asked for), so the colon the captions store first
        // stands at the left end, after the Hebrew words; and screen readers get the
        // captions through UI Automation as they are.
        make(0, L"STATIC", SS_LEFT | SS_NOPREFIX);
        if (design.name == "Label2") label2_.Attach(control);
        break;
    case layout::Kind::Shape:
    case layout::Kind::Line:
        // The form paints them, the needle over the circle (see Paint). Neither reaches
        // into a control's box, so it does not matter that the controls cover the form.
        return;
    }
    if (!control) throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                          std::string(design.name));
    // A new child window goes to the bottom of its siblings; the design puts each
    // control over those created before it.
    ::SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    children_.push_back({&design, control});
}

void Form1Window::LayOut() {
    std::vector<std::pair<const layout::Font*, Font>> fonts;
    const auto fontFor = [&](const layout::Font* design) {
        const auto found = std::find_if(fonts.begin(), fonts.end(), [&](const auto& f) { return f.first == design; });
        if (found != fonts.end()) return found->second.Handle();
        fonts.emplace_back(design, Font(design ? DesignFont(*design, dpi_) : ControlFont(dpi_)));
        return fonts.back().second.Handle();
    };
    for (const Child& child : children_) {
        const RECT box = PixelBox(child.design->box, dpi_);
        ::MoveWindow(child.window, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
        ::SendMessageW(child.window, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(child.design->font)), TRUE);
    }
    // The old fonts go only now that no control uses them.
    fonts_.swap(fonts);
}

HWND Form1Window::Control(std::string_view name) const {
    for (const Child& child : children_) {
        if (child.design->name == name) return child.window;
    }
    return nullptr;
}

void Form1Window::Show(int showCommand) {
    std::vector<std::pair<int, HWND>> order;
    for (const Child& child : children_) {
        if (::GetWindowLongPtrW(child.window, GWL_STYLE) & WS_TABSTOP) order.emplace_back(child.design->tabIndex, child.window);
    }
    std::sort(order.begin(), order.end());
    if (!order.empty()) focus_ = order.front().second;
    shown_ = true;
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    if (focus_) ::SetFocus(focus_);
}

bool Form1Window::Navigate(MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_KEYUP) return false;
    const auto focused = std::find_if(children_.begin(), children_.end(),
                                      [&](const Child& child) { return child.window == message.hwnd; });
    if (focused == children_.end()) return false;
    // Bit 30: the key was already down, so this press is the keyboard's repeat.
    const bool repeat = (message.lParam & (1 << 30)) != 0;
    const KeyAction action = Form1KeyAction(focused->design->kind, KeyOf(message.wParam), repeat);
    if (action == KeyAction::ToTheControl) return false;
    // The release goes with its press: the button must not see half of a Space.
    if (message.message == WM_KEYUP) {
        if (focused->design->kind == layout::Kind::Button) ReleaseKeyPress(message.hwnd);
        return true;
    }
    switch (action) {
    case KeyAction::PressTheButton:
        ::SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        break;
    case KeyAction::FocusNext:
    case KeyAction::FocusPrevious:
        FocusNeighbour(message.hwnd, action == KeyAction::FocusPrevious);
        break;
    default:
        break;
    }
    return true;
}

void Form1Window::FocusNeighbour(HWND from, bool previous) {
    // The tab stops in z-order, which the creation order makes the tab indexes' order.
    const HWND to = ::GetNextDlgTabItem(window_, from, previous);
    if (!to) return;
    ::SetFocus(to);
    // As a dialog does, an entry reached by the keyboard has its text selected.
    if (::SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(to, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK Form1Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->HandleMessage(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Form1Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && reinterpret_cast<HWND>(lParam) == Control("Command1")) {
            form_.Run(&Form1::Command1_Click);
            return 0;
        }
        break;
    case WaitableTimerWakeUp::kMessage:
        // Its delivery, the tick and the next arming can each fail.
        form_.Run([this] { timer1_.WakeUp().Expire(); });
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI (or its scale changed): Windows suggests the
        // window's new rectangle; the controls and their fonts are laid out afresh.
        dpi_ = LOWORD(wParam);
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        LayOut();
        ::InvalidateRect(window_, nullptr, TRUE);
        return 0;
    }
    case WM_ACTIVATE:
        // Windows gives the focus back to the top-level window on reactivation; the
        // control that had it takes it back below.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(window_, focus)) focus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        if (focus_) {
            ::SetFocus(focus_);
            return 0;
        }
        break;
    case WM_DESTROY:
        ::PostQuitMessage(form_.ExitStatus());
        return 0;
    case WM_NCDESTROY: {
        // Closed by the operator: there is nothing left for the destructor to destroy.
        const HWND window = std::exchange(window_, nullptr);
        children_.clear();
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void Form1Window::Paint() {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(window_, &paint);
    PaintDial(dc, layout::ControlNamed("Shape1").box, line1_.Get(), dpi_);
    ::EndPaint(window_, &paint);
}

void Form1Window::NeedleMoved(const NeedleLine::Points& before) {
    const RECT old = NeedleArea(before, dpi_);
    const RECT now = NeedleArea(line1_.Get(), dpi_);
    ::InvalidateRect(window_, &old, TRUE);
    ::InvalidateRect(window_, &now, TRUE);
}

std::string Form1Window::Text1Text() const { return Utf8(WindowText(Control("Text1"))); }

void Form1Window::StaticCaption::SetCaption(const std::string& caption) {
    const std::wstring text = Wide(caption);
    if (WindowText(window_) != text) ::SetWindowTextW(window_, text.c_str());
}

void Form1Window::ReportFailure(const std::string& message) {
    box_(shown_ ? window_ : nullptr, Wide(message));
    if (shown_) ::PostQuitMessage(form_.ExitStatus());
}

}  // namespace stepdial::win32
