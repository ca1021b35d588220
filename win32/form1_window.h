#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/dial.h"
#include "win32/failure_box.h"
#include "win32/fonts.h"
#include "core/form1.h"
#include "core/keys.h"
#include "core/layout.h"
#include "core/tick_timer.h"
#include "motor/port.h"
#include "win32/waitable_timer_wake_up.h"

namespace stepdial::win32 {

// Form1 on Win32: creates the controls of the layout table as native windows at the
// monitor's DPI, paints the dial, runs the paced timer, and hands every event to the
// handlers of Form1.
class Form1Window : private Form1Controls {
public:
    // Creates the window and its controls, hidden.
    explicit Form1Window(Port& port, FailureBox box = ShowErrorBox, const MotorModel& motor = {});
    ~Form1Window() override;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // Shows the window, the first control of the tab order focused. A failure reported
    // after this ends the message loop with status 1.
    void Show(int showCommand);

    // Form1's keys (core/keys.h) as the message loop takes them, before they are
    // translated: Tab and Shift+Tab move the focus, Space and Enter on the button press
    // it, Enter in the entry does nothing. True when the message was handled and must
    // not be dispatched.
    bool Navigate(MSG& message);

    HWND Hwnd() const { return window_; }
    // The native control of that name; null for those that are drawn (Shape1, Line1)
    // or have no window (Timer1).
    HWND Control(std::string_view name) const;
    int Dpi() const { return dpi_; }

    Form1& Form() { return form_; }
    const Form1& Form() const { return form_; }
    TickTimer<WaitableTimerWakeUp>& Timer1() { return timer1_; }
    const NeedleLine& Line1() const { return line1_; }

private:
    struct Child {
        const layout::Control* design;
        HWND window;
    };

    // Label2's caption as the handlers set it.
    class StaticCaption : public LabelControl {
    public:
        void Attach(HWND window) { window_ = window; }
        void SetCaption(const std::string& caption) override;

    private:
        HWND window_ = nullptr;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Create(const layout::Control& design, std::size_t index);
    // Places the window's client area, every control and its font at dpi_.
    void LayOut();
    void Paint();
    void NeedleMoved(const NeedleLine::Points& before);
    void FocusNeighbour(HWND from, bool previous);

    std::string Text1Text() const override;
    void SetTimer1Enabled(bool enabled) override { timer1_.SetEnabled(enabled); }
    LineControl& Line1Control() override { return line1_; }
    LabelControl& Label2Control() override { return label2_; }
    void ReportFailure(const std::string& message) override;

    Form1 form_;
    FailureBox box_;
    NeedleLine line1_;
    TickTimer<WaitableTimerWakeUp> timer1_;
    StaticCaption label2_;
    HWND window_ = nullptr;
    int dpi_ = 96;
    std::vector<Child> children_;
    // One font per typeface of the table, and one for the controls without one.
    std::vector<std::pair<const layout::Font*, Font>> fonts_;
    // The control that had the focus when the window was last deactivated.
    HWND focus_ = nullptr;
    bool shown_ = false;
};

}  // namespace stepdial::win32
