#pragma once

#include <QApplication>
#include <QWidget>
#include <functional>

#include "motor/port.h"

namespace stepdial::qt {

// Creates Form1 on `port` (Form_Load runs before it is shown), shows it, runs the event loop until
// it is closed. `shown` is called once, right after Form1 is shown (the simulator places its own
// window beside it). Returns the exit status: 0, or 1 after a failure was reported to the operator.
int RunForm1(QApplication& app, Port& port, const std::function<void(QWidget& form)>& shown = {});

}  // namespace stepdial::qt
