#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "caption_label.h"
#include "circle_shape.h"
#include "failure_report.h"
#include "needle_line.h"
#include "port.h"
#include "stepping_controller.h"
#include "tick_timer.h"

namespace stepdial {

// The operator's window: the angle entry, the start button, the dial with its needle,
// the degrees readout and two captions, and the timer that paces the motor. It holds the
// motor's controller for its whole life.
//
// A failure in any handler ends the program: the timer stops, `box` tells the operator,
// and the event loop ends with status 1. No handler runs after that.
class Form1 : public QWidget {
public:
    explicit Form1(Port& port, FailureBox box = ShowCriticalBox);

    // Runs Form_Load; call once, before the window is shown. False when it failed
    // (the failure has been reported).
    bool Load();
    bool Failed() const { return failed_; }

    // The three handlers, as the events call them (without the failure guard).
    void Form_Load();
    void Command1_Click();
    void Timer1_Timer();

    TickTimer& Timer1() { return timer1_; }
    QPushButton& Command1() { return *command1_; }
    QLineEdit& Text1() { return *text1_; }
    CircleShape& Shape1() { return *shape1_; }
    CaptionLabel& Label3() { return *label3_; }
    CaptionLabel& Label2() { return *label2_; }
    CaptionLabel& Label1() { return *label1_; }
    NeedleLine& Line1() { return *line1_; }
    const SteppingController& Motor() const { return motor_; }

private:
    // The one place where a handler's failure is caught: exceptions must not cross Qt's
    // event loop, and the operator must hear of every one.
    void RunHandler(void (Form1::*handler)());
    void Fail(const std::string& message);

    SteppingController motor_;
    FailureBox box_;
    bool failed_ = false;
    TickTimer timer1_;
    QPushButton* command1_;
    QLineEdit* text1_;
    CircleShape* shape1_;
    CaptionLabel* label3_;
    CaptionLabel* label2_;
    CaptionLabel* label1_;
    NeedleLine* line1_;
};

}  // namespace stepdial
