#pragma once

#include <QString>
#include <functional>

namespace stepdial::qt {

// Shows the operator a failure and waits until it is acknowledged.
using FailureBox = std::function<void(const QString& message)>;

// A modal critical message box, titled with the program's name.
void ShowCriticalBox(const QString& message);

}  // namespace stepdial::qt
