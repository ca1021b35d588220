#include "core/failure.h"

#include <iostream>

namespace stepdial {

void WriteFailureLine(const std::string& message) { std::cerr << "stepdial: " << message << std::endl; }

int ReportStartUpFailure(const std::string& message, const FailureReport& report) {
    WriteFailureLine(message);
    report(message);
    return kFailureStatus;
}

}  // namespace stepdial
