#pragma once

#include <QString>
#include <functional>

#include "core/chosen_port_start.h"

namespace stepdial::qt {

// Shows the operator a failure and waits until it is acknowledged.
using FailureBox = std::function<void(const QString& message)>;

// A modal critical message box, titled with the program's name.
void ShowCriticalBox(const QString& message);

// The same box for a port that cannot be used at start-up, which also offers to choose
// another port.
StartUpAnswer AskAfterStartUpFailure(const QString& message);

}  // namespace stepdial::qt
