#include "core/form1.h"

#include <exception>

namespace stepdial {

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
    Run([this, handler] { (this->*handler)(); });
}

void Form1::Run(const std::function<void()>& work) {
    if (failed_) return;
    // Exceptions must not cross a toolkit's event loop, and the operator must hear of
    // every failure.
    try {
        work();
    } catch (const std::exception& e) {
        Fail(e.what());
    } catch (...) {
        Fail("unknown failure");
    }
}

bool Form1::Load() {
    Run(&Form1::Form_Load);
    return !failed_;
}

int Form1::Live(const std::function<void()>& show, const std::function<int()>& eventLoop) {
    if (!Load()) return ExitStatus();
    show();
    const int status = eventLoop();
    return failed_ ? ExitStatus() : status;
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
