#pragma once

#include <cstdint>
#include <string>

namespace stepdial {

// What Windows records about the port library's kernel driver, read once the library has
// said its driver is not open. A plain record, so that the choice below is the same on
// every platform and can be tried on any set of facts.
struct DriverFacts {
    // The library registers its driver as a kernel service named after the driver file:
    // "inpoutx64" on 64-bit Windows (for the 32-bit library too), "inpout32" on 32-bit.
    std::string service;
    enum class Service { Absent, Present, Unknown } state = Service::Unknown;
    // Present: the service's Win32 exit code, where Windows keeps why it did not start.
    // Unknown: why the service manager could not be asked.
    std::uint32_t code = 0;
    // Memory integrity (core isolation) is on: Enabled = 1 under HKLM\SYSTEM\CurrentControlSet
    // \Control\DeviceGuard\Scenarios\HypervisorEnforcedCodeIntegrity.
    bool memoryIntegrity = false;
    // The program runs with an administrator's full rights, which installing a driver needs.
    bool elevated = false;
};

enum class DriverReason {
    MemoryIntegrity,       // memory integrity lets no build of the library's 64-bit driver load
    Blocklist,             // the vulnerable driver blocklist refused this build of the driver
    NeverInstalled,        // no service: the library has never run with administrator rights
    AbsentThoughElevated,  // no service although the library ran with administrator rights
    Other,                 // Windows' own code for the service, whatever it says
};

DriverReason ChooseDriverReason(const DriverFacts& facts);

// Windows' code for the service, which the message gives with Windows' text: why it did
// not start, 1060 ERROR_SERVICE_DOES_NOT_EXIST, or why the service manager could not be
// asked; 1062 ERROR_SERVICE_NOT_ACTIVE where it records nothing.
std::uint32_t DriverServiceCode(const DriverFacts& facts);

// Whether `code` is one Windows gives a driver its code integrity refuses: 1275
// ERROR_DRIVER_BLOCKED, 577 ERROR_INVALID_IMAGE_HASH, 0x800B010C CERT_E_REVOKED.
bool IsBlockedDriverCode(std::uint32_t code);

}  // namespace stepdial
