#include "motor/driver_not_open.h"

#include <windows.h>

#include <string>

#include "motor/windows_error.h"

namespace stepdial {
namespace {

std::string Remedy(const DriverFacts& facts) {
    switch (ChooseDriverReason(facts)) {
    case DriverReason::MemoryIntegrity:
        return std::string(remedy::windows::kTurnOffMemoryIntegrity) + " " +
               std::string(remedy::windows::kOrUseAUsbBoard);
    case DriverReason::Blocklist:
        return std::string(remedy::windows::kTurnOffTheBlocklist) + " " +
               std::string(remedy::windows::kOrUseAUsbBoard);
    case DriverReason::NeverInstalled:
        return std::string(remedy::windows::kOpenThePortDriver);
    case DriverReason::AbsentThoughElevated:
        return std::string(remedy::windows::kInstallTheDriverByHand);
    case DriverReason::Other:
        break;
    }
    return remedy::windows::SeeTheDriverService(facts.service);
}

}  // namespace

PortError DriverNotOpenError(std::uint16_t address, std::string_view device, const DriverFacts& facts) {
    return PortError(WindowsError(DriverServiceCode(facts)), address, device,
                     "the port library's driver (service " + facts.service +
                         ") is not open, so nothing would reach the port",
                     Remedy(facts));
}

}  // namespace stepdial
