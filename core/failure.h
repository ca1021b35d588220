#pragma once

#include <functional>
#include <string>

namespace stepdial {

// The exit status of a program that ended on a failure, whichever step it came from.
inline constexpr int kFailureStatus = 1;

// Tells of a failure that ends the program on standard error, where a terminal or a
// service log keeps it after the box is gone: "stepdial: <message>".
void WriteFailureLine(const std::string& message);

// Tells the operator, in the front end's own way, and returns once it has been acknowledged.
using FailureReport = std::function<void(const std::string& message)>;

// A failure before Form1 can even exist (its window or step timer cannot be had) is told
// as any failure is: the line on standard error, then the report. Returns kFailureStatus.
int ReportStartUpFailure(const std::string& message, const FailureReport& report);

}  // namespace stepdial
