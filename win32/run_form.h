#pragma once

#include "motor/port.h"

namespace stepdial::win32 {

// Creates Form1 on `port` (Form_Load runs before it is shown), shows it and runs the
// message loop until it is closed. Returns the exit status: 0, or 1 after a failure was
// reported to the operator.
int RunForm1(Port& port, int showCommand);

}  // namespace stepdial::win32
