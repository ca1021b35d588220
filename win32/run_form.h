#pragma once

#include "motor/port.h"
#include "win32/failure_box.h"

namespace stepdial::win32 {

// Creates Form1 on `port` (Form_Load runs before it is shown), shows it and runs the
// message loop until it is closed. `box` tells the operator of a failure. Returns the exit
// status: 0, or 1 after a failure was reported to the operator.
int RunForm1(Port& port, int showCommand, const FailureBox& box = ShowErrorBox);

}  // namespace stepdial::win32
