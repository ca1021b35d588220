#pragma once

#include <QApplication>
#include <QWidget>
#include <functional>

#include "motor/port.h"
#include "qt/failure_box.h"

namespace stepdial::qt {

// Creates Form1 on `port` (Form_Load runs before it is shown), shows it, runs the event loop until
// it is closed. `opening` is called once, right before Form1 is shown: the simulator shows its own
// window there, so that Form1 is the last window to appear. Desktops put the newest window in
// front and give it the keyboard, and a Wayland program cannot place or raise its windows itself.
// `box` tells the operator of a failure. Returns the exit status: 0, or 1 after a failure was
// reported to the operator.
int RunForm1(QApplication& app, Port& port, const std::function<void(QWidget& form)>& opening = {},
             const FailureBox& box = ShowCriticalBox);

}  // namespace stepdial::qt
