#include "form1.h"

#include <exception>
#include <iostream>

namespace stepdial {

void WriteFailureLine(const std::string& message) { std::cerr << "stepdial: " << message << std::endl; }

void Form1::Form_Load() {
    controller_.ResetMotor();
    SetMoving(false);
}

void Form1::Command1_Click() { SetMoving(true); }

void Form1::Timer1_Timer() {
    controller_.StepMotor(controls_.Text1Text());
    UpdateNeedle(controller_, controls_.Line1Control());
    UpdateReadout(controller_, controls_.Label2Control());
    if (controller_.HasArrived()) SetMoving(false);
}

void Form1::Run(Handler handler) {
    if (failed_) return;
    // Exceptions must not cross a toolkit's event loop, and the operator must hear of
    // every failure.
    try {
        (this->*handler)();
    } catch (const std::exception& e) {
        Fail(e.what());
    } catch (...) {
        Fail("unknown failure");
    }
}

void Form1::SetMoving(bool moving) {
    moving_ = moving;
    controls_.SetTimer1Enabled(moving);
}

void Form1::Fail(const std::string& message) {
    failed_ = true;
    SetMoving(false);
    WriteFailureLine(message);
    controls_.ReportFailure(message);
}

}  // namespace stepdial
