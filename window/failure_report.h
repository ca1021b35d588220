#pragma once

#include <QString>
#include <functional>
#include <string>

namespace stepdial {

// Shows the operator a failure and waits until it is acknowledged.
using FailureBox = std::function<void(const QString& message)>;

// A modal critical message box, titled with the program's name.
void ShowCriticalBox(const QString& message);

// Tells the operator about a failure that ends the program: the message on standard
// error (it survives the box, and a terminal or a service log keeps it), then in `box`.
void ReportFailure(const std::string& message, const FailureBox& box = ShowCriticalBox);

}  // namespace stepdial
