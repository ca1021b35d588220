// Form1 on Win32, in-process under Wine's display-less graphics driver: what the
// window makes of the layout table at each DPI, its keyboard rules, what a tick
// repaints, and how it ends.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "motor/utf16.h"
#include "tests/support/key_rule_cases.h"
#include "tests/support/recording_port.h"
#include "tests/support/timed_port.h"
#include "win32/dpi.h"
#include "win32/form1_window.h"

namespace stepdial::win32 {
namespace {

using stepdial::testing::RecordingPort;

struct Box {
    HWND owner;
    std::wstring message;
};

// A window on a recording port, with the error box replaced by a recorder.
struct Form {
    explicit Form(std::size_t writesBeforeFailure = SIZE_MAX) {
        if (writesBeforeFailure != SIZE_MAX) port.FailAfter(writesBeforeFailure);
    }
    RecordingPort port;
    std::vector<Box> boxes;
    Form1Window window{port, [this](HWND owner, const std::wstring& message) { boxes.push_back({owner, message}); }};

    HWND Control(const char* name) const { return window.Control(name); }
};

std::wstring TextOf(HWND window) {
    std::wstring text(256, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Dispatches this thread's messages, as the program's loop does, until `done` holds or
// the time is up. Returns the exit code of a WM_QUIT that came, if one did.
std::optional<int> Pump(Form1Window& window, const std::function<bool()>& done = [] { return false; },
                        std::chrono::milliseconds time = std::chrono::seconds(2)) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (!done() && std::chrono::steady_clock::now() < end) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            if (window.Navigate(message)) continue;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return std::nullopt;
}

void Key(HWND target, WPARAM key) {
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, 1 | (3u << 30));
}

RECT ClientBox(HWND parent, HWND control) {
    RECT box;
    ::GetWindowRect(control, &box);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

// Every control's box in pixels, worked out by hand from the table's twips, with
// VB's truncation of each of left, top, width and height on its own.
struct Placement {
    int dpi;
    const char* name;
    RECT box;  // left, top, right, bottom
    int fontHeight;  // 0: the message font
};

const std::vector<Placement> kPlacements = {
    {96, "Command1", {8, 8, 49, 33}, 0},        {96, "Text1", {56, 8, 97, 33}, 0},
    {96, "Label3", {64, 240, 225, 265}, -21},   {96, "Label2", {8, 240, 65, 265}, -21},
    {96, "Label1", {104, 8, 241, 33}, -24},     {120, "Command1", {10, 10, 61, 41}, 0},
    {120, "Text1", {70, 10, 121, 41}, 0},       {120, "Label3", {80, 300, 281, 331}, -26},
    {120, "Label2", {10, 300, 81, 331}, -26},   {120, "Label1", {130, 10, 301, 41}, -30},
    {144, "Command1", {12, 12, 73, 49}, 0},     {144, "Text1", {84, 12, 145, 49}, 0},
    {144, "Label3", {96, 360, 337, 397}, -32},  {144, "Label2", {12, 360, 97, 397}, -32},
    {144, "Label1", {156, 12, 361, 49}, -36},
};

TEST(Form1WindowLayout, ControlsAndFontsFollowTheTableAtEachDpi) {
    Form f;
    ASSERT_EQ(f.window.Dpi(), 96) << "the test starts from Wine's default DPI";
    RECT client;
    ::GetClientRect(f.window.Hwnd(), &client);
    EXPECT_EQ(client.right, 230);
    EXPECT_EQ(client.bottom, 269);
    EXPECT_EQ(TextOf(f.window.Hwnd()), L"Form1");

    for (const int dpi : {96, 120, 144}) {
        if (dpi != f.window.Dpi()) {
            // As Windows sends it when the window reaches a monitor of another DPI.
            RECT suggested{40, 30, 40 + 3 * dpi, 30 + 4 * dpi};
            ::SendMessageW(f.window.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            RECT frame;
            ::GetWindowRect(f.window.Hwnd(), &frame);
            EXPECT_TRUE(::EqualRect(&frame, &suggested)) << "the suggested rectangle is taken at " << dpi;
        }
        ASSERT_EQ(f.window.Dpi(), dpi);
        for (const Placement& p : kPlacements) {
            if (p.dpi != dpi) continue;
            SCOPED_TRACE(std::string(p.name) + " at " + std::to_string(dpi) + " dpi");
            const HWND control = f.Control(p.name);
            ASSERT_NE(control, nullptr);
            const RECT box = ClientBox(f.window.Hwnd(), control);
            EXPECT_TRUE(::EqualRect(&box, &p.box)) << box.left << "," << box.top << " " << box.right << ","
                                                    << box.bottom;
            const LOGFONTW font = FontOf(control);
            EXPECT_EQ(font.lfCharSet, HEBREW_CHARSET);
            if (p.fontHeight) {
                EXPECT_EQ(font.lfHeight, p.fontHeight);
                EXPECT_EQ(font.lfWeight, FW_BOLD);
                EXPECT_STREQ(font.lfFaceName, L"David");
            } else {
                const LOGFONTW message = MessageFont(dpi);
                EXPECT_EQ(font.lfHeight, message.lfHeight);
                EXPECT_STREQ(font.lfFaceName, message.lfFaceName);
            }
        }
    }
}

struct NativeControl {
    const char* name;
    const wchar_t* type;
    std::string_view text;
    LONG_PTR style;      // all of these bits
    LONG_PTR notStyle;   // none of these
};

TEST(Form1WindowLayout, NativeControlsStackedInCreationOrder) {
    Form f;
    const std::vector<NativeControl> controls = {
        {"Command1", L"Button", layout::ControlNamed("Command1").text, WS_TABSTOP, BS_DEFPUSHBUTTON},
        {"Text1", L"Edit", "360", WS_TABSTOP, ES_RIGHT | ES_CENTER},
        {"Label3", L"Static", layout::ControlNamed("Label3").text, SS_NOPREFIX, WS_TABSTOP | SS_RIGHT | SS_CENTER},
        {"Label2", L"Static", "0", SS_NOPREFIX, WS_TABSTOP | SS_RIGHT | SS_CENTER},
        {"Label1", L"Static", layout::ControlNamed("Label1").text, SS_NOPREFIX, WS_TABSTOP | SS_RIGHT | SS_CENTER},
    };
    for (const NativeControl& c : controls) {
        SCOPED_TRACE(c.name);
        const HWND control = f.Control(c.name);
        ASSERT_NE(control, nullptr);
        wchar_t type[32];
        ::GetClassNameW(control, type, 32);
        EXPECT_EQ(::lstrcmpiW(type, c.type), 0) << Utf8(type);
        EXPECT_EQ(TextOf(control), Wide(c.text));
        const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
        EXPECT_EQ(style & c.style, c.style);
        EXPECT_EQ(style & c.notStyle, 0) << std::hex << style;
        // A right-to-left reading order would put the colon the captions store first
        // at the right end.
        EXPECT_EQ(::GetWindowLongPtrW(control, GWL_EXSTYLE) & (WS_EX_RTLREADING | WS_EX_LAYOUTRTL | WS_EX_RIGHT), 0);
    }
    EXPECT_EQ(f.Control("Shape1"), nullptr) << "the form paints the dial";
    EXPECT_EQ(f.Control("Line1"), nullptr) << "the form paints the needle";

    // Top first: each control lies over those created before it.
    std::vector<HWND> stack;
    for (HWND child = ::GetWindow(f.window.Hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        stack.push_back(child);
    EXPECT_EQ(stack, (std::vector<HWND>{f.Control("Label1"), f.Control("Label2"), f.Control("Label3"),
                                        f.Control("Text1"), f.Control("Command1")}));
}

TEST(Form1WindowLayout, TheEntryOpensWithItsWholeTextInView) {
    Form f;
    f.window.Show(SW_SHOWNORMAL);
    const HWND entry = f.Control("Text1");
    RECT client;
    ::GetClientRect(entry, &client);
    EXPECT_GE(static_cast<short>(::SendMessageW(entry, EM_POSFROMCHAR, 0, 0)), client.left);
    EXPECT_LT(static_cast<short>(::SendMessageW(entry, EM_POSFROMCHAR, 2, 0)), client.right);
}

// What the key table does not say: where the focus and the caret start, and what Tab does
// to the entry's text.
TEST(Form1WindowKeys, TabLeavesTheEntrysTextAndSelectsItOnTheWayBack) {
    Form f;
    ASSERT_TRUE(f.window.Form().Load());
    f.window.Show(SW_SHOWNORMAL);
    Pump(f.window, [] { return true; });
    const HWND entry = f.Control("Text1");
    const HWND button = f.Control("Command1");
    EXPECT_EQ(::GetFocus(), entry) << "the entry has the focus when the window opens";
    DWORD selectionStart = 0, selectionEnd = 0;
    ::SendMessageW(entry, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart), reinterpret_cast<LPARAM>(&selectionEnd));
    EXPECT_EQ(selectionStart, 3u) << "the caret after \"360\", nothing selected, as in the Qt window";
    EXPECT_EQ(selectionEnd, 3u);

    ::SetWindowTextW(entry, L"90");
    Key(entry, VK_TAB);
    Pump(f.window, [&] { return ::GetFocus() == button; });
    EXPECT_EQ(::GetFocus(), button);
    EXPECT_EQ(TextOf(entry), L"90") << "Tab reached the entry as a character";

    Key(button, VK_TAB);
    Pump(f.window, [&] { return ::GetFocus() == entry; });
    EXPECT_EQ(::GetFocus(), entry) << "Tab goes round";
    const LRESULT selection = ::SendMessageW(entry, EM_GETSEL, 0, 0);
    EXPECT_EQ(LOWORD(selection), 0);
    EXPECT_EQ(HIWORD(selection), 2) << "tabbing into the entry selects its text";
}

TEST(Form1WindowKeys, EveryKeyOfTheRuleDoesWhatTheRuleSays) {
    // In the order of Key; Shift in the thread's key state makes Tab BackTab (the last row clears it).
    const WPARAM keys[] = {VK_TAB, VK_TAB, VK_RETURN, VK_SPACE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
    BYTE state[256];
    for (const auto& c : testing::kKeyCases) {
        Form f;
        ASSERT_TRUE(f.window.Form().Load());
        f.window.Show(SW_SHOWNORMAL);
        Pump(f.window, [] { return true; });
        const HWND controls[] = {f.Control("Text1"), f.Control("Command1")};
        const auto control = [&](layout::Kind kind) { return controls[kind == layout::Kind::Button]; };
        ::SetFocus(control(c.from));
        ::GetKeyboardState(state);
        state[VK_SHIFT] = c.key == stepdial::Key::BackTab ? 0x80 : 0;
        state[VK_CONTROL] = c.controlFirst ? 0x80 : 0;
        ::SetKeyboardState(state);
        ::PostMessageW(control(c.from), WM_KEYDOWN, keys[static_cast<int>(c.key)], 1);
        Pump(
            f.window, [] { return false; }, std::chrono::milliseconds(50));
        state[VK_CONTROL] = 0;
        ::SetKeyboardState(state);
        ::PostMessageW(control(c.from), WM_KEYUP, keys[static_cast<int>(c.key)], 1 | (3u << 30));
        Pump(
            f.window, [] { return false; }, std::chrono::milliseconds(100));
        EXPECT_EQ(::GetFocus(), control(c.to)) << "row " << &c - testing::kKeyCases;
        EXPECT_EQ(f.window.Form().Moving(), c.starts) << "row " << &c - testing::kKeyCases;
        EXPECT_EQ(::GetCapture(), nullptr) << "row " << &c - testing::kKeyCases;
        EXPECT_FALSE(::SendMessageW(f.Control("Command1"), BM_GETSTATE, 0, 0) & BST_PUSHED)
            << "row " << &c - testing::kKeyCases;
    }
}

bool Contains(HRGN region, int x, int y) { return ::PtInRegion(region, x, y) != FALSE; }

TEST(Form1WindowTicks, ATickRepaintsTheOldAndTheNewNeedleOnly) {
    Form f;
    ASSERT_TRUE(f.window.Form().Load());
    f.window.Show(SW_SHOWNORMAL);
    Pump(f.window, [] { return true; });
    ::SetWindowTextW(f.Control("Text1"), L"52.5");
    ::SendMessageW(f.window.Hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                   reinterpret_cast<LPARAM>(f.Control("Command1")));
    // Each once its grid point has passed, as the wake-up delivers them.
    const auto tick = [&] {
        while (MonotonicNow() < f.window.Timer1().Schedule().Deadline()) ::Sleep(1);
        ::SendMessageW(f.window.Hwnd(), WaitableTimerWakeUp::kMessage, 0, 0);
    };
    for (int i = 0; i < 6; ++i) tick();
    ASSERT_EQ(TextOf(f.Control("Label2")), L"45");
    ::ValidateRect(f.window.Hwnd(), nullptr);

    tick();
    EXPECT_EQ(TextOf(f.Control("Label2")), L"52.5");
    EXPECT_FALSE(f.window.Timer1().Enabled()) << "arrived";
    const HRGN update = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetUpdateRgn(f.window.Hwnd(), update, FALSE), ERROR);
    // The pivot is at (113, 133); the needle is 80 pixels long at 96 dpi.
    EXPECT_TRUE(Contains(update, 113, 133)) << "pivot";
    EXPECT_TRUE(Contains(update, 169, 189)) << "the old tip, at 45 degrees";
    EXPECT_TRUE(Contains(update, 161, 196)) << "the new tip, at 52.5 degrees";
    EXPECT_FALSE(Contains(update, 190, 133)) << "the needle as it started, at 0 degrees";
    EXPECT_FALSE(Contains(update, 20, 133)) << "the dial's far edge";
    EXPECT_FALSE(Contains(update, 113, 60)) << "above the pivot";
    ::DeleteObject(update);
}

// The operator's rate reaches the waitable timer: 200 steps a second, one step a tick in
// order, and the guard against bursts holds at the shorter period.
TEST(Form1WindowTicks, TheTimerStepsAtTheOperatorsRate) {
    testing::TimedPort port;
    Form1Window window(
        port, [](HWND, const std::wstring&) {}, MotorModel{.drive = Drive::OneCoil, .stepsPerSecond = 200});
    ASSERT_TRUE(window.Form().Load());
    EXPECT_EQ(window.Timer1().Schedule().Period(), std::chrono::milliseconds(5));
    window.Show(SW_SHOWNORMAL);
    ::SetWindowTextW(window.Control("Text1"), L"75");
    ::SendMessageW(window.Hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                   reinterpret_cast<LPARAM>(window.Control("Command1")));

    Pump(
        window, [&] { return !window.Timer1().Enabled(); }, std::chrono::seconds(5));
    EXPECT_EQ(port.Values(), (std::vector<std::uint8_t>{0, 2, 4, 8, 1, 2, 4, 8, 1, 2, 4}));
    EXPECT_GE(port.ShortestGap(), std::chrono::microseconds(2500));
}

TEST(Form1WindowEnd, APortFailingAtStartUpIsReportedWithNoWindowShown) {
    Form f(0);
    EXPECT_FALSE(f.window.Form().Load());
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0].owner, nullptr);
    EXPECT_NE(f.boxes[0].message.find(Wide(DescribeAddress(kDataRegister))), std::wstring::npos) << Utf8(f.boxes[0].message);
    EXPECT_FALSE(::IsWindowVisible(f.window.Hwnd()));
    EXPECT_FALSE(f.window.Timer1().Enabled());
    MSG quit;
    EXPECT_FALSE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no loop runs to be ended";
}

TEST(Form1WindowEnd, APortFailingMidMoveIsReportedOverTheWindowAndEndsTheLoopWith1) {
    Form f(3);  // Form_Load's write and two steps go through, the third step's fails
    ASSERT_TRUE(f.window.Form().Load());
    f.window.Show(SW_SHOWNORMAL);
    ::SendMessageW(f.window.Hwnd(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                   reinterpret_cast<LPARAM>(f.Control("Command1")));
    // Through the real wake-up.
    EXPECT_EQ(Pump(f.window), 1);
    ASSERT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.boxes[0].owner, f.window.Hwnd());
    EXPECT_NE(f.boxes[0].message.find(Wide(DescribeAddress(kDataRegister))), std::wstring::npos) << Utf8(f.boxes[0].message);
    EXPECT_EQ(f.port.Values(), (std::vector<std::uint8_t>{0, 6, 12}));
    EXPECT_EQ(TextOf(f.Control("Label2")), L"15") << "the readout shows the last tick that completed";
    EXPECT_FALSE(f.window.Timer1().Enabled());
}

// Ticks posted to no window stop for good: the window hears of it with the first message
// that gets through, and fails as on a port failure.
TEST(Form1WindowEnd, ATickThatCannotBePostedIsAFailure) {
    Form f;
    ASSERT_TRUE(f.window.Form().Load());
    f.window.Show(SW_SHOWNORMAL);
    // An expiry of the design's running timer, from before Form_Load, may wait in the queue.
    Pump(
        f.window, [] { return false; }, std::chrono::milliseconds(50));
    // Below the first handle USER gives out: no window has it.
    const HWND gone = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x10));
    f.window.Timer1().WakeUp().Attach(gone);
    ::SendMessageW(f.Control("Command1"), BM_CLICK, 0, 0);
    ::Sleep(100);
    f.window.Timer1().WakeUp().Attach(f.window.Hwnd());
    EXPECT_EQ(Pump(f.window), 1);
    EXPECT_EQ(f.boxes.size(), 1u);
    EXPECT_EQ(f.port.Values(), std::vector<std::uint8_t>{0}) << "no tick reached the port";
}

TEST(Form1WindowEnd, ClosingEndsTheLoopWith0AndWritesNothing) {
    Form f;
    ASSERT_TRUE(f.window.Form().Load());
    f.window.Show(SW_SHOWNORMAL);
    ::PostMessageW(f.window.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Pump(f.window), 0);
    EXPECT_FALSE(::IsWindow(f.window.Hwnd())) << "closed windows are destroyed";
    EXPECT_EQ(f.port.Values(), std::vector<std::uint8_t>{0});
    EXPECT_TRUE(f.boxes.empty());
}

}  // namespace
}  // namespace stepdial::win32
