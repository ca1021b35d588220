#pragma once

#include <functional>
#include <string>

#include "core/dial.h"
#include "core/failure.h"
#include "motor/port.h"
#include "motor/stepping_controller.h"

namespace stepdial {

// What the handlers need of the window. A front end implements it over its own controls.
class Form1Controls {
public:
    virtual ~Form1Controls() = default;
    // The entry's text as it stands now, UTF-8.
    virtual std::string Text1Text() const = 0;
    virtual void SetTimer1Enabled(bool enabled) = 0;
    virtual LineControl& Line1Control() = 0;
    virtual LabelControl& Label2Control() = 0;
    // Tells the operator of a failure that ends the program and returns once it has been
    // acknowledged; the front end then ends its event loop (if it runs) with status 1.
    virtual void ReportFailure(const std::string& message) = 0;
};

// The operator's window without its toolkit: the motor's controller, held for the
// window's whole life, the three handlers, and whether the motor is moving.
//
// A failure in any handler ends the program: the timer stops, the message goes to
// standard error (a terminal or a service log keeps it) and to the operator, once, and
// no handler runs after that.
class Form1 {
public:
    using Handler = void (Form1::*)();

    Form1(Port& port, Form1Controls& controls, const MotorModel& motor = {})
        : controller_(port, motor),
          controls_(controls) {}

    // The three handlers, as the design names them. They trap nothing: events reach
    // them through Run.
    void Form_Load();
    void Command1_Click();
    void Timer1_Timer();

    // Runs a handler for an event, unless the program has already failed; a failure
    // inside it is reported as above.
    void Run(Handler handler);
    // The same for an event's work around a handler: the step timer's wake-up, whose
    // delivery and re-arming can fail as a handler can.
    void Run(const std::function<void()>& work);

    // Runs Form_Load; call once, before the window is shown. False when it failed (the
    // failure has been reported).
    bool Load();

    // The window's whole life once it exists, the same on every toolkit: Form_Load (a
    // port that cannot be bound is reported before the window is ever shown), `show`,
    // then `eventLoop` until the window is closed. Returns the program's exit status:
    // the loop's, or kFailureStatus once a failure was reported.
    int Live(const std::function<void()>& show, const std::function<int()>& eventLoop);

    // Moving: the timer is enabled, as the design creates it until Form_Load stops it.
    bool Moving() const { return moving_; }
    bool Failed() const { return failed_; }
    int ExitStatus() const { return failed_ ? kFailureStatus : 0; }
    const SteppingController& Controller() const { return controller_; }

private:
    void SetMoving(bool moving);
    void Fail(const std::string& message);

    SteppingController controller_;
    Form1Controls& controls_;
    bool moving_ = layout::kTimer1.enabled;
    bool failed_ = false;
};

}  // namespace stepdial
